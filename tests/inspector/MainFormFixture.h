// A test suite around one main window and the target program in another process, with the
// program's settings key kept safe. Each suite gets its own (the Suite parameter).
#pragma once

#include "TestSupport.h"

#include "core/MainForm.h"
#include "core/UNI_WinVer.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

namespace lvxtest {

template <typename Suite>
class MainFormFixture : public ::testing::Test {
protected:
    // For the suite's SetUpTestSuite: starts the target with `scenarios` and makes the window.
    static void Start(std::initializer_list<std::string> scenarios)
    {
        Settings = std::make_unique<RegistryKeyBackup>(lvx::SettingsKey);
        lvx::InitPlatformFlags();
        Target = std::make_unique<TargetProcess>(scenarios);
        Form = std::make_unique<lvx::TMainForm>();
        ASSERT_TRUE(Form->FormCreate());
    }
    static void TearDownTestSuite()
    {
        Form.reset();
        Target.reset();
        Settings.reset();
    }
    void SetUp() override { ASSERT_TRUE(Target->Ready()); }

    // Makes `window` the inspected window, as picking it would.
    static void Inspect(HWND window)
    {
        lvx::CurrentWindow = lvx::WindowInfo{};
        lvx::CurrentWindow.Handle = window;
        Form->RefreshExecute();
    }

    static inline std::unique_ptr<RegistryKeyBackup> Settings;
    static inline std::unique_ptr<TargetProcess> Target;
    static inline std::unique_ptr<lvx::TMainForm> Form;
};

}  // namespace lvxtest
