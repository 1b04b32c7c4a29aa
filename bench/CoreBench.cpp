// The core's costs with Google Benchmark, natively, against the in-memory fakes: loading and
// saving AppData.txt, the tray menu, restoring the mode ticks. Each figure comes with the
// floor it is compared with, measured in the same run; the ratios are printed at the end.
//
// Every cost measured here includes the fakes' own (FakeFileSystem copies a file into each
// read stream, the code page 932 fake opens an iconv converter per string, FakeView and
// FakePopupMenu keep std::map/std::vector): the "replay" and "ToUtf8" lines show how much.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <optional>
#include <string>
#include <vector>

#include "app/LauncherDialog.h"
#include "display/DisplayModes.h"
#include "resources/ResourceIds.h"
#include "fakes/FakePlatform.h"
#include "store/AppEntry.h"
#include "store/AppRegistry.h"
#include "store/AppStore.h"
#include "store/RecordFile.h"
#include "ui/ApplicationForm.h"

namespace {

using mirelka::AppEntry;
using mirelka::AppRegistry;
using mirelka::CodePage;
using mirelka::LauncherDialog;
using mirelka::RecordFile;
using mirelka::test::FakePlatform;
using mirelka::test::FakePopupMenu;

constexpr const char* kExecutable = "C:\\Mirelka\\Mirelka.exe";
constexpr const char* kAppData = "C:\\Mirelka\\AppData.txt";
constexpr const char* kScreenMode = "C:\\Mirelka\\ScreenMode.txt";
constexpr std::intptr_t kRightButtonDown = 0x0204;
constexpr int kTickedModes = 40;

enum class Order { Sorted, Shuffled };

std::string Join(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

// Titles as a Japanese user's would be: double-byte text in code page 932, a shared
// prefix, and a number that makes their order the numbers' order.
std::vector<std::string> AppDataLines(const CodePage& codePage, int count, Order order) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%04d", i);
        const std::string title = *codePage.FromUtf8Exact(std::string("ゲーム ") + number);
        const std::string shortcut = *codePage.FromUtf8Exact(
            std::string("C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\"
                        "Programs\\ゲーム\\") +
            number + ".lnk");
        lines.push_back(title + "\t" + shortcut + "\t800\t600\t16\t60\t1");
    }
    if (order == Order::Shuffled) {
        std::mt19937 random(20240601u);
        std::shuffle(lines.begin(), lines.end(), random);
    }
    return lines;
}

// 20 sizes at 8, 16 and 32 bits, 60 Hz: 60 modes, every one usable.
void AddDriverModes(mirelka::test::FakeDisplayDriver& display) {
    for (std::uint32_t size = 0; size < 20; ++size) {
        for (const std::uint32_t bits : {8u, 16u, 32u}) {
            display.Add(640 + 32 * size, 480 + 24 * size, bits, 60);
        }
    }
    display.registry = display.table.back();
}

std::string ModeLine(std::uint32_t width, std::uint32_t height, std::uint32_t bits) {
    return std::to_string(width) + "\t" + std::to_string(height) + "\t" + std::to_string(bits) +
           "\t60";
}

// The first count driver modes, one per line.
std::vector<std::string> TickedModeLines(const mirelka::test::FakeDisplayDriver& display,
                                         int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        const auto& mode = display.table[static_cast<std::size_t>(i)];
        lines.push_back(ModeLine(mode.width, mode.height, mode.bitsPerPixel));
    }
    return lines;
}

// Code page 932's lead bytes, and no conversion at all: what the handlers cost without the
// fake code page's iconv (the menu then holds the titles' code page 932 bytes as they are).
class IdentityCodePage final : public CodePage {
public:
    const mirelka::LeadBytes& Leads() const override { return leads_; }
    std::string ToUtf8(std::string_view ansi) const override { return std::string(ansi); }
    std::optional<std::string> ToUtf8Exact(std::string_view ansi) const override {
        return std::string(ansi);
    }
    std::optional<std::string> FromUtf8Exact(std::string_view utf8) const override {
        return std::string(utf8);
    }

private:
    mirelka::LeadBytes leads_ = mirelka::LeadBytes::Cp932();
};

enum class Conversion { Iconv, Identity };

// A dialog started as the program starts it, over fakes holding the given files.
struct Mirelka {
    FakePlatform platform;
    std::unique_ptr<LauncherDialog> owned;
    LauncherDialog& dialog;

    Mirelka(const std::vector<std::string>& appData, const std::vector<std::string>& modes,
            Conversion conversion = Conversion::Iconv)
        : owned(Start(platform, appData, modes, conversion)), dialog(*owned) {}

    static std::unique_ptr<LauncherDialog> Start(FakePlatform& platform,
                                                 const std::vector<std::string>& appData,
                                                 const std::vector<std::string>& modes,
                                                 Conversion conversion) {
        if (conversion == Conversion::Identity) {
            platform.codePage = std::make_unique<IdentityCodePage>();
        }
        AddDriverModes(platform.display);
        platform.files.files[kAppData] = Join(appData);
        platform.files.files[kScreenMode] =
            modes.empty() ? Join(TickedModeLines(platform.display, kTickedModes)) : Join(modes);
        auto dialog = std::make_unique<LauncherDialog>(platform.MakePorts(), kExecutable);
        dialog->OnInitDialog();
        return dialog;
    }
};

void Check(benchmark::State& state, bool ok, const char* what) {
    if (!ok) {
        state.SkipWithError(what);
    }
}

// ---- AppData.txt --------------------------------------------------------------------

// The floor: the same file's lines read and split into their fields, nothing kept.
void ReadSplitFloor(benchmark::State& state, int count) {
    FakePlatform platform;
    const std::vector<std::string> lines = AppDataLines(*platform.codePage, count, Order::Sorted);
    platform.files.files[kAppData] = Join(lines);
    RecordFile file(platform.files, platform.codePage->Leads());
    file.SetBasePath(kExecutable);
    file.SetFileName("AppData.txt");
    std::string field;
    std::size_t bytes = 0;
    for (auto _ : state) {
        file.Open(RecordFile::Mode::Read);
        while (file.ReadLine()) {
            for (int i = 0; i < 7; ++i) {
                file.NextField(field);
                bytes += field.size();
            }
        }
        file.Close();
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * count);
}

// The application store beside the program, its file holding lines.
struct Store {
    FakePlatform platform;
    mirelka::AppStore store{platform.files, platform.codePage->Leads()};

    explicit Store(const std::vector<std::string>& lines) {
        platform.files.files[kAppData] = Join(lines);
        store.PlaceBeside(kExecutable);
    }
};

void LoadAppData(benchmark::State& state, int count, Order order) {
    FakePlatform codes;
    Store loaded(AppDataLines(*codes.codePage, count, order));
    for (auto _ : state) {
        benchmark::DoNotOptimize(loaded.store.LoadAppData());
    }
    Check(state, loaded.store.Registry().Count() == count, "not every entry loaded");
    state.SetItemsProcessed(state.iterations() * count);
}

// LoadAppData less its title box: the same read, parse and insert, through the same calls.
void ParseAndInsert(benchmark::State& state, int count, Order order) {
    FakePlatform platform;
    platform.files.files[kAppData] = Join(AppDataLines(*platform.codePage, count, order));
    RecordFile file(platform.files, platform.codePage->Leads());
    file.SetBasePath(kExecutable);
    file.SetFileName("AppData.txt");
    AppRegistry registry(platform.codePage->Leads());
    for (auto _ : state) {
        registry.Clear();
        file.Open(RecordFile::Mode::Read);
        while (file.ReadLine()) {
            registry.Insert(mirelka::ParseAppEntry(platform.codePage->Leads(), file.Line()));
        }
        file.Close();
    }
    Check(state, registry.Count() == count, "not every entry inserted");
    state.SetItemsProcessed(state.iterations() * count);
}

void FillTitleBox(benchmark::State& state, int count) {
    FakePlatform codes;
    Store loaded(AppDataLines(*codes.codePage, count, Order::Sorted));
    loaded.store.LoadAppData();
    mirelka::ApplicationForm form(loaded.platform.view, *loaded.platform.codePage);
    for (auto _ : state) {
        form.FillTitleBox(loaded.store.Registry());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void SaveAppData(benchmark::State& state, int count) {
    FakePlatform codes;
    const std::vector<std::string> lines = AppDataLines(*codes.codePage, count, Order::Sorted);
    Store loaded(lines);
    loaded.store.LoadAppData();
    for (auto _ : state) {
        benchmark::DoNotOptimize(loaded.store.SaveAppData());
    }
    Check(state, loaded.platform.files.files[kAppData] == Join(lines),
          "the saved file differs from the loaded one");
    state.SetItemsProcessed(state.iterations() * count);
}

// The floor for saving: the finished lines written through the same RecordFile rewrite
// (temporary file, replace), without formatting a single field.
void WriteFloor(benchmark::State& state, int count) {
    FakePlatform platform;
    const std::vector<std::string> lines = AppDataLines(*platform.codePage, count, Order::Sorted);
    RecordFile file(platform.files, platform.codePage->Leads());
    file.SetBasePath(kExecutable);
    file.SetFileName("AppData.txt");
    for (auto _ : state) {
        file.Open(RecordFile::Mode::Write);
        for (const std::string& line : lines) {
            file.ClearLine();
            file.AppendField(line);
            file.WriteLine();
        }
        file.Close();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// ---- the tray menu --------------------------------------------------------------------

void TrayMenu(benchmark::State& state, int count, Conversion conversion) {
    FakePlatform codes;
    Mirelka launcher(AppDataLines(*codes.codePage, count, Order::Sorted), {}, conversion);
    FakePopupMenu& menu = launcher.platform.menu;
    for (auto _ : state) {
        launcher.dialog.OnTrayNotify(kRightButtonDown);
    }
    Check(state,
          menu.Popup().size() == static_cast<std::size_t>(count) + 7 &&
              menu.Resolutions().size() == kTickedModes + 1 && menu.tracking,
          "the menu was not built whole");
    state.SetItemsProcessed(state.iterations() * count);
}

// What the handler asks of the fake menu, with the texts ready: the fake's own share.
void FakeMenuReplay(benchmark::State& state, int count) {
    FakePlatform platform;
    std::vector<std::string> titles;
    for (const std::string& line : AppDataLines(*platform.codePage, count, Order::Sorted)) {
        titles.push_back(platform.codePage->ToUtf8(line.substr(0, line.find('\t'))));
    }
    std::vector<std::string> modes;
    for (int i = 0; i < kTickedModes; ++i) {
        modes.push_back("1024×768×32 60Hz");
    }
    FakePopupMenu& menu = platform.menu;
    for (auto _ : state) {
        const auto popup = menu.Load();
        for (int i = 0; i < count; ++i) {
            menu.Insert(popup, i, titles[static_cast<std::size_t>(i)], ID_LAUNCH_FIRST + i);
        }
        mirelka::PopupMenu::Menu sub = 0;
        const int items = menu.ItemCount(popup);
        for (int i = 0; i < items && sub == 0; ++i) {
            if (menu.ItemId(popup, i) == -1 && menu.ItemText(popup, i) == "解像度変更") {
                sub = menu.SubMenu(popup, i);
            }
        }
        for (int i = 0; i < kTickedModes; ++i) {
            menu.Insert(sub, i, modes[static_cast<std::size_t>(i)], ID_MODE_FIRST + i);
        }
        menu.Track(popup, 0, 0);
        menu.Destroy();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// The fake code page's conversion of the menu's titles: iconv_open per string.
void CodePageToUtf8(benchmark::State& state, int count) {
    FakePlatform platform;
    std::vector<std::string> titles;
    for (const std::string& line : AppDataLines(*platform.codePage, count, Order::Sorted)) {
        titles.push_back(line.substr(0, line.find('\t')));
    }
    for (auto _ : state) {
        for (const std::string& title : titles) {
            benchmark::DoNotOptimize(platform.codePage->ToUtf8(title));
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// ---- ScreenMode.txt -------------------------------------------------------------------

// 1,000 lines over 80 modes: 40 sizes at 16 bits, which the driver lists for the first 20,
// and at 24 bits, which it never lists. Three lines in four look through the whole list of 60.
std::vector<std::string> LongScreenMode(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        const auto size = static_cast<std::uint32_t>(i % 40);
        lines.push_back(ModeLine(640 + 32 * size, 480 + 24 * size, (i / 40) % 2 == 0 ? 16 : 24));
    }
    return lines;
}

void RestoreModeChecks(benchmark::State& state, int count) {
    FakePlatform platform;
    AddDriverModes(platform.display);
    platform.files.files[kScreenMode] = Join(LongScreenMode(count));
    mirelka::DisplayModes modes(platform.display, platform.files, platform.codePage->Leads());
    modes.PlaceBeside(kExecutable);
    modes.FillModeList();
    int matched = 0;
    for (auto _ : state) {
        matched = modes.RestoreModeChecks();
    }
    // Sizes 0-19 at 16 bits match: 20 of every 80 lines.
    int expected = 0;
    for (int i = 0; i < count; ++i) {
        expected += i % 40 < 20 && (i / 40) % 2 == 0 ? 1 : 0;
    }
    Check(state, matched == expected, "unexpected number of matching lines");
    state.SetItemsProcessed(state.iterations() * count);
}

void ModeReadSplitFloor(benchmark::State& state, int count) {
    FakePlatform platform;
    platform.files.files[kScreenMode] = Join(LongScreenMode(count));
    RecordFile file(platform.files, platform.codePage->Leads());
    file.SetBasePath(kExecutable);
    file.SetFileName("ScreenMode.txt");
    std::string field;
    std::size_t bytes = 0;
    for (auto _ : state) {
        file.Open(RecordFile::Mode::Read);
        while (file.ReadLine()) {
            for (int i = 0; i < 4; ++i) {
                file.NextField(field);
                bytes += field.size();
            }
        }
        file.Close();
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(state.iterations() * count);
}

// ---- registration and the report -------------------------------------------------------

double Min(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}
double Max(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

template <typename Function, typename... Args>
void Register(const std::string& name, Function function, Args... args) {
    benchmark::RegisterBenchmark(name.c_str(),
                                 [=](benchmark::State& state) { function(state, args...); })
        ->Unit(benchmark::kMicrosecond)
        ->ComputeStatistics("min", Min)
        ->ComputeStatistics("max", Max);
}

void RegisterAll() {
    for (const int count : {10, 100, 1000}) {
        const std::string n = std::to_string(count);
        Register("ReadSplitFloor/" + n, ReadSplitFloor, count);
        Register("LoadAppData/" + n + "/sorted", LoadAppData, count, Order::Sorted);
        Register("LoadAppData/" + n + "/shuffled", LoadAppData, count, Order::Shuffled);
        Register("ParseAndInsert/" + n + "/sorted", ParseAndInsert, count, Order::Sorted);
        Register("ParseAndInsert/" + n + "/shuffled", ParseAndInsert, count, Order::Shuffled);
        Register("FillTitleBox/" + n, FillTitleBox, count);
        Register("WriteFloor/" + n, WriteFloor, count);
        Register("SaveAppData/" + n, SaveAppData, count);
    }
    for (const int count : {0, 100, 1000}) {
        const std::string n = std::to_string(count);
        Register("TrayMenu/" + n, TrayMenu, count, Conversion::Iconv);
        Register("TrayMenuNoIconv/" + n, TrayMenu, count, Conversion::Identity);
        Register("FakeMenuReplay/" + n, FakeMenuReplay, count);
        Register("CodePageToUtf8/" + n, CodePageToUtf8, count);
    }
    Register("ModeReadSplitFloor/1000", ModeReadSplitFloor, 1000);
    Register("RestoreModeChecks/1000", RestoreModeChecks, 1000);
}

// Keeps the statistics of each benchmark and prints them as one compact table, then the
// ratios the targets are about.
class Report final : public benchmark::BenchmarkReporter {
public:
    struct Figures {
        double median = 0;
        double min = 0;
        double max = 0;
        std::int64_t repetitions = 0;
    };

    bool ReportContext(const Context& context) override {
        PrintBasicContext(&GetErrorStream(), context);
        return true;
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                std::fprintf(stderr, "%s: %s\n", run.benchmark_name().c_str(),
                             run.error_message.c_str());
                failed_ = true;
                continue;
            }
            if (run.run_type != Run::RT_Aggregate) {
                continue;
            }
            Figures& figures = figures_[run.run_name.str()];
            const double value = run.GetAdjustedRealTime();
            if (run.aggregate_name == "median") {
                figures.median = value;
                figures.repetitions = run.repetitions;
            } else if (run.aggregate_name == "min") {
                figures.min = value;
            } else if (run.aggregate_name == "max") {
                figures.max = value;
            }
        }
    }

    bool Failed() const { return failed_; }

    void PrintTable() const {
        std::printf("\n%-32s %12s %25s %7s %5s\n", "benchmark (real time, µs)", "median",
                    "min - max", "spread", "reps");
        for (const auto& [name, f] : figures_) {
            // Spread: (max - min) / median over the repetitions.
            const double spread = f.median > 0 ? 100.0 * (f.max - f.min) / f.median : 0.0;
            std::printf("%-32s %12.2f %12.2f - %10.2f %6.0f%% %5lld\n", name.c_str(), f.median,
                        f.min, f.max, spread, static_cast<long long>(f.repetitions));
        }
    }

    // Prints a / b of the medians, and of the fastest repetitions beside it (noise only ever
    // adds time, so on a busy machine the minimums agree better from run to run). "target"
    // is the largest median ratio that meets it (0: none).
    bool PrintRatio(const char* what, const std::string& a, const std::string& b,
                    double target) const {
        const auto ia = figures_.find(a);
        const auto ib = figures_.find(b);
        if (ia == figures_.end() || ib == figures_.end() || ib->second.median <= 0 ||
            ib->second.min <= 0) {
            std::printf("  %-56s  (not measured)\n", what);
            return false;
        }
        const double ratio = ia->second.median / ib->second.median;
        const double fastest = ia->second.min / ib->second.min;
        const bool met = target <= 0 || ratio <= target;
        std::printf("  %-56s %6.2fx (min %5.2fx; %8.1f / %7.1f µs)", what, ratio, fastest,
                    ia->second.median, ib->second.median);
        if (target > 0) {
            std::printf("  target <= %.0fx: %s", target, met ? "met" : "NOT MET");
        }
        std::printf("\n");
        return met;
    }

    double Median(const std::string& name) const {
        const auto it = figures_.find(name);
        return it == figures_.end() ? 0 : it->second.median;
    }

private:
    std::map<std::string, Figures> figures_;
    bool failed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    // Defaults for a noisy 2-core machine; any of them can be given on the command line.
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=10";
    std::string minTime = "--benchmark_min_time=0.2";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, {repetitions.data(), minTime.data(), interleave.data()});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 2;
    }
    RegisterAll();
    Report report;
    benchmark::RunSpecifiedBenchmarks(&report);
    benchmark::Shutdown();
    report.PrintTable();

    std::printf("\nratios of medians (each against its floor measured in this run)\n");
    std::printf("  %-56s %7s %5s\n", "", "median", "(fastest)");
    bool met = true;
    met &= report.PrintRatio("LoadAppData 1,000 sorted / read+split floor",
                             "LoadAppData/1000/sorted", "ReadSplitFloor/1000", 10);
    met &= report.PrintRatio("LoadAppData 1,000 shuffled / read+split floor",
                             "LoadAppData/1000/shuffled", "ReadSplitFloor/1000", 10);
    report.PrintRatio("  its parse+insert, sorted / floor", "ParseAndInsert/1000/sorted",
                      "ReadSplitFloor/1000", 0);
    report.PrintRatio("  its parse+insert, shuffled / floor", "ParseAndInsert/1000/shuffled",
                      "ReadSplitFloor/1000", 0);
    report.PrintRatio("  its title box (fake view, iconv) / floor", "FillTitleBox/1000",
                      "ReadSplitFloor/1000", 0);
    report.PrintRatio("LoadAppData 1,000 / 100 (sorted)", "LoadAppData/1000/sorted",
                      "LoadAppData/100/sorted", 0);
    report.PrintRatio("LoadAppData 1,000 / 100 (shuffled)", "LoadAppData/1000/shuffled",
                      "LoadAppData/100/shuffled", 0);
    report.PrintRatio("SaveAppData 1,000 / write floor", "SaveAppData/1000", "WriteFloor/1000", 0);
    report.PrintRatio("SaveAppData 1,000 / 100", "SaveAppData/1000", "SaveAppData/100", 0);
    met &= report.PrintRatio("tray menu 1,000 entries / 100 (with the fakes)", "TrayMenu/1000",
                             "TrayMenu/100", 12);
    report.PrintRatio("tray menu 1,000 / 100, no iconv (identity code page)",
                      "TrayMenuNoIconv/1000", "TrayMenuNoIconv/100", 0);
    // The handler's own share: the identity code page's run less the fake menu's replay.
    const auto own = [&](const char* n) {
        return report.Median(std::string("TrayMenuNoIconv/") + n) -
               report.Median(std::string("FakeMenuReplay/") + n);
    };
    const double own1000 = own("1000");
    const double own100 = own("100");
    std::printf("  %-56s %6.2fx (%8.1f / %7.1f µs)\n",
                "tray menu 1,000 / 100, handler only (less fake menu)",
                own100 > 0 ? own1000 / own100 : 0.0, own1000, own100);
    const double menu1000 = report.Median("TrayMenu/1000");
    if (menu1000 > 0) {
        std::printf("  %-56s %6.0f%% / %.0f%%\n", "  TrayMenu/1000: of it iconv / fake menu",
                    100.0 * report.Median("CodePageToUtf8/1000") / menu1000,
                    100.0 * report.Median("FakeMenuReplay/1000") / menu1000);
    }
    report.PrintRatio("RestoreModeChecks 1,000 lines / read+split floor", "RestoreModeChecks/1000",
                      "ModeReadSplitFloor/1000", 0);
    std::printf("\ncore targets: %s\n", met ? "all met" : "NOT all met");
    return report.Failed() ? 1 : 0;
}
