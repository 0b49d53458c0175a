// The about box and the version reader: the title from the program's own version record, the
// fixed-number fall-back, the logo, and the links.
#include "TestSupport.h"

#include "about/AboutForm.h"
#include "about/JpegImage.h"
#include "about/VersionInfo.h"
#include "core/MainForm.h"
#include "core/UNI_WinVer.h"
#include "language/LanguageKeys.h"
#include "resources/resource.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <set>

using namespace lvx;
using lvxtest::DialogDriver;

namespace {

const char AboutCaption[] = "\xCE \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE5...";  // О программе...

}  // namespace

TEST(VersionInfo, ReadsTheStringTableAndFallsBackToTheFixedNumbers)
{
    // This test program carries the inspector's own version record.
    const TVersionInfo own(TVersionInfo::OwnFileName());
    ASSERT_TRUE(own.Valid());
    EXPECT_EQ(own.TranslationText(), "041904E3");
    EXPECT_EQ(own.StringValue("ProductName"), "Narvolt Lumivex");
    EXPECT_EQ(own.FileVersion(), "1.2.0.0");
    EXPECT_EQ(own.FileVersionNumbers(), (std::pair<uint32_t, uint32_t>{0x00010002, 0}));
    EXPECT_EQ(TAboutForm::TitleFor(own.FileName()), "Narvolt Lumivex 1.2");

    // The target's record has no "FileVersion" string: the fixed numbers stand in.
    const TVersionInfo target(lvxtest::BinFolder() + "lvxtarget.exe");
    ASSERT_TRUE(target.Valid());
    EXPECT_EQ(target.StringValue("FileVersion"), "");
    EXPECT_EQ(target.StringValue("ProductName"), "Lumivex test target");
    EXPECT_EQ(target.FileVersion(), "3.4.5.6");

    // A file without a version record: nothing at all, and a title without a version.
    lvxtest::TempFolder folder;
    const std::string text = folder.Path() + "plain.txt";
    std::ofstream(text) << "no version here";
    const TVersionInfo none(text);
    EXPECT_FALSE(none.Valid());
    EXPECT_EQ(none.TranslationText(), "");
    EXPECT_EQ(none.FileVersion(), "");
    EXPECT_EQ(TAboutForm::TitleFor(text), "Narvolt Lumivex ");
    EXPECT_EQ(TAboutForm::TitleFor(folder.Path() + "missing.exe"), "Narvolt Lumivex ");
}

TEST(JpegImage, DecodesTheLogoAndRefusesBrokenData)
{
    const std::string_view logo = ProgramResource("LOGO", MAKEINTRESOURCEA(10));
    ASSERT_FALSE(logo.empty());
    const HBITMAP bitmap = DecodeJpeg(logo);
    ASSERT_NE(bitmap, nullptr);
    BITMAP shape{};
    ::GetObjectA(bitmap, sizeof shape, &shape);
    EXPECT_EQ(shape.bmWidth, 57);
    EXPECT_EQ(shape.bmHeight, 192);
    ::DeleteObject(bitmap);
    // Not a picture, a picture cut short, nothing at all: no bitmap or a partial one, never a crash.
    EXPECT_EQ(DecodeJpeg("not a jpeg at all"), nullptr);
    EXPECT_EQ(DecodeJpeg(std::string_view()), nullptr);
    if (const HBITMAP cut = DecodeJpeg(logo.substr(0, logo.size() / 3))) ::DeleteObject(cut);
    EXPECT_EQ(DecodeJpeg(logo.substr(0, 200)), nullptr);
}

TEST(AboutForm, ShowsTheTitleAndOpensTheLinks)
{
    lvxtest::RegistryKeyBackup settings(SettingsKey);
    InitPlatformFlags();
    TMainForm form;
    ASSERT_TRUE(form.FormCreate());
    std::string title, shadow;
    std::vector<std::string> opened;
    int hotWhileOver = -1, hotAfterLeaving = -1;
    bool logo = false;
    TAboutForm* about = nullptr;
    DialogDriver driver({{AboutCaption, [&](HWND dialog) {
        about = reinterpret_cast<TAboutForm*>(::GetWindowLongPtrA(dialog, DWLP_USER));
        char text[256] = {};
        ::GetDlgItemTextA(dialog, IDC_ABOUT_TITLE, text, static_cast<int>(std::size(text)));
        title = text;
        ::GetDlgItemTextA(dialog, IDC_ABOUT_TITLE_TEXT, text, static_cast<int>(std::size(text)));
        shadow = text;
        logo = about->LogoDecoded();
        about->OpenLink = [&](const std::string& address) { opened.push_back(address); };
        for (int id : {IDC_ABOUT_PRODUCT_LINK, IDC_ABOUT_SITE_LINK, IDC_ABOUT_MAIL_LINK})
            ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
        // The pointer over a link makes it the hot one; leaving puts it back.
        ::SendMessageA(::GetDlgItem(dialog, IDC_ABOUT_SITE_LINK), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        hotWhileOver = about->HotLink();
        ::SendMessageA(::GetDlgItem(dialog, IDC_ABOUT_SITE_LINK), WM_MOUSELEAVE, 0, 0);
        hotAfterLeaving = about->HotLink();
        ::PostMessageA(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    }}});
    ::SendMessageA(form.aboutButton_.Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(driver.Done());
    EXPECT_EQ(title, "Narvolt Lumivex 1.2");
    EXPECT_EQ(shadow, title);
    EXPECT_TRUE(logo);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0].rfind("http", 0), 0u);
    EXPECT_EQ(opened[1].rfind("http", 0), 0u);
    EXPECT_EQ(opened[2].rfind("mailto:", 0), 0u);
    EXPECT_EQ(hotWhileOver, IDC_ABOUT_SITE_LINK);
    EXPECT_EQ(hotAfterLeaving, 0);

    TAboutForm keys;
    std::set<std::string> looked;
    for (const TranslationTarget& target : keys.TranslationTargets()) looked.insert(target.Key);
    const auto expected = LanguageKeysOf("AboutForm");
    EXPECT_EQ(looked, std::set<std::string>(expected.begin(), expected.end()));
}
