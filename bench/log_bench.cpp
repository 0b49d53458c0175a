// Benchmark: loading a 20 MB install log and reading every key of it, as the uninstaller does,
// and editing one key of a large INI file of another program.
#include "log/IniData.h"
#include "log/IniEdit.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct GeneratedLog {
    std::string text;
    size_t lines = 0;
};

// Sections as a large installation writes them: a few hundred thousand files, registry values
// and keys with long paths, and a couple of thousand component sections of moderate size.
GeneratedLog MakeLog()
{
    GeneratedLog log;
    std::string& text = log.text;
    text.reserve(21 << 20);
    char buffer[512];
    const auto line = [&](int length) {
        text.append(buffer, static_cast<size_t>(length));
        ++log.lines;
    };
    text += "; install log\r\n[Strings]\r\nAppID={6F1C2A7B-1D3E-4F50-9A8B-7C6D5E4F3A21}\r\n";
    log.lines += 1;
    for (int i = 1; i <= 20; ++i) line(std::snprintf(buffer, sizeof buffer, "%d=Status text number %d: %%s||please wait\r\n", i, i));
    text += "\r\n[Display]\r\nDialogFont=MS Sans Serif,8\r\nTitleFont=MS Sans Serif,10,0,B\r\nProgressColor=0x00C1A9A6\r\n";
    log.lines += 3;
    for (const char* page : {"DLG_START", "DLG_BEFOREUNINSTALL", "DLG_BEFOREREPAIR", "DLG_BROWSEFORSETUP", "DLG_UNINSTALL",
                             "DLG_REBOOT", "DLG_UNINSTALLSUCCEEDED", "DLG_DELSHARED"}) {
        text += std::string("\r\n[Dialog.") + page + "]\r\nCaption=Narvolt Lumivex Enterprise\r\n";
        log.lines += 1;
        for (int control = 100; control < 112; ++control) {
            line(std::snprintf(buffer, sizeof buffer, "%d=Text of control %d on this page||second line\r\n", control, control));
        }
    }
    text += "\r\n[CopyFiles]\r\n";
    for (int i = 0; i < 100000; ++i) {
        line(std::snprintf(buffer, sizeof buffer, "C:\\Program Files\\Narvolt\\Lumivex Enterprise\\modules\\group%03d\\file_%06d.dll=1\r\n",
                           i / 1000, i));
    }
    text += "\r\n[AddReg]\r\n";
    for (int i = 0; i < 40000; ++i) {
        line(std::snprintf(buffer, sizeof buffer,
                           "HKLM\\SOFTWARE\\Classes\\CLSID\\{8F2A1C3B-%04X-4000-8000-0000%08X}\\InprocServer32\\ThreadingModel=1,Apartment\r\n",
                           i % 65536, i));
    }
    text += "\r\n[CreateKeys]\r\n";
    for (int i = 0; i < 60000; ++i) {
        line(std::snprintf(buffer, sizeof buffer, "HKLM\\SOFTWARE\\Narvolt\\Lumivex\\Plugins\\Plugin%05d=\r\n", i));
    }
    text += "\r\n[RegServers]\r\n";
    for (int i = 0; i < 10000; ++i) {
        line(std::snprintf(buffer, sizeof buffer, "C:\\Program Files\\Common Files\\Narvolt\\Shared\\component%05d.ocx=1\r\n", i));
    }
    text += "\r\n[CreateDirs]\r\n";
    for (int i = 0; i < 20000; ++i) {
        line(std::snprintf(buffer, sizeof buffer, "C:\\Program Files\\Narvolt\\Data\\set%05d=1\r\n", i));
    }
    for (int component = 0; component < 4000; ++component) {
        text += "\r\n[Component." + std::to_string(component) + "]\r\n";
        for (int i = 0; i < 45; ++i) line(std::snprintf(buffer, sizeof buffer, "Option%d='value %d'\r\n", i, component + i));
    }
    return log;
}

const GeneratedLog& Log()
{
    static const GeneratedLog log = MakeLog();
    return log;
}

size_t ReadEveryKey(lvu::IniData& data)
{
    size_t keys = 0;
    for (const std::string& section : data.ReadSections()) {
        for (const std::string& key : data.ReadSection(section)) {
            benchmark::DoNotOptimize(data.ReadString(section, key, ""));
            ++keys;
        }
    }
    return keys;
}

void BM_Load(benchmark::State& state)
{
    const GeneratedLog& log = Log();
    for (auto _ : state) {
        lvu::IniData data;
        data.Load(log.text);
        benchmark::DoNotOptimize(data.SectionCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * log.text.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * log.lines));
    state.counters["lines"] = static_cast<double>(log.lines);
    state.counters["MB"] = static_cast<double>(log.text.size()) / (1 << 20);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

// Items are the keys read.
void BM_LoadAndReadEveryKey(benchmark::State& state)
{
    const GeneratedLog& log = Log();
    size_t keys = 0;
    for (auto _ : state) {
        lvu::IniData data;
        data.Load(log.text);
        keys = ReadEveryKey(data);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * log.text.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * keys));
}
BENCHMARK(BM_LoadAndReadEveryKey)->Unit(benchmark::kMillisecond);

// The reads alone, on a loaded log whose key indexes already exist.
void BM_ReadEveryKeyLoaded(benchmark::State& state)
{
    lvu::IniData data;
    data.Load(Log().text);
    size_t keys = 0;
    for (auto _ : state) keys = ReadEveryKey(data);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * keys));
}
BENCHMARK(BM_ReadEveryKeyLoaded)->Unit(benchmark::kMillisecond);

// An AddIni edit of another program's INI file: a key of the last of `sections` sections of 50
// lines each is set, so the whole file is taken apart. Twice the sections should take twice as long.
void BM_EditLastKeyOfIni(benchmark::State& state)
{
    std::string file = "; settings\r\n";
    const auto sections = static_cast<int>(state.range(0));
    for (int section = 0; section < sections; ++section) {
        file += "[Section" + std::to_string(section) + "]\r\n";
        for (int i = 0; i < 50; ++i) file += "Key" + std::to_string(i) + " = \"value " + std::to_string(i) + "\"\r\n";
    }
    const std::string last = "Section" + std::to_string(sections - 1);
    for (auto _ : state) benchmark::DoNotOptimize(lvu::SetIniValue(file, last, "Key49", "new").Bytes.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
    state.counters["MB"] = static_cast<double>(file.size()) / (1 << 20);
}
BENCHMARK(BM_EditLastKeyOfIni)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
