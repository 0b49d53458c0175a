// The account of each line of a run: the report file ("/LOG=") and the list of what was left.
#include "Report.h"

#include "Engine.h"
#include "EngineRules.h"

#include "system/Handles.h"

namespace lvu {
namespace {

// Written by the main thread before and after the worker, by the worker while it runs.
unique_file ReportFile;

void Write(const std::string& line)
{
    if (!ReportFile) return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    // A report that cannot be written must not stop the uninstallation: it is dropped.
    if (!::WriteFile(ReportFile.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        ReportFile.reset();
}

void Left(const std::string& item, const std::string& reason, const char* kind)
{
    ++Uninstall.FailedLines;
    Uninstall.LeftItems.push_back({PrintableText(item), reason});
    Write(ReportItemLine(kind, item, reason));
}

}  // namespace

bool OpenReport()
{
    ReportFile.reset();
    if (Uninstall.ReportPath.empty()) return true;
    ReportFile.reset(::CreateFileA(Uninstall.ReportPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!ReportFile) return false;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char stamp[32] = {};
    ::wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                now.wSecond);
    Write(std::string("Uninstallation started ") + stamp + " from the log " + Uninstall.LogPath);
    return true;
}

void CloseReport(const std::string& lastLine)
{
    Write(lastLine);
    ReportFile.reset();
}

void ReportLine(const std::string& text)
{
    Write(text);
}

void LineDone(const std::string& item, const std::string& note)
{
    // Most lines are done: without a report they cost nothing more.
    if (ReportFile) Write(ReportItemLine("done", item, note));
}

void LineRefused(const std::string& item, const std::string& reason)
{
    Left(item, reason, "refused");
}

void LineFailed(const std::string& item, unsigned long error, const std::string& reason)
{
    std::string why = reason;
    if (error != 0) why += (why.empty() ? "" : ": ") + SystemErrorText(error);
    Left(item, why.empty() ? std::string("failed") : why, "failed");
}

std::string SystemErrorText(unsigned long error)
{
    char* buffer = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length > 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
    if (buffer != nullptr) ::LocalFree(buffer);
    return OneLineErrorText(text, error);
}

}  // namespace lvu
