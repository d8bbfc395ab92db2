// Deleting one record ("borrar") beside appending one: both wait until the
// disk has the change. A deletion reads and writes one record in place, so
// its cost must not grow with the file. The changes go to a copy of each
// generated year file, which the other benchmarks keep reading unchanged.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

#include "bench_suite.h"
#include "bench_year_file.h"
#include "book/change_record.h"
#include "book/year_file.h"
#include "figures.h"

namespace quimbaro::bench {
namespace {

constexpr double kAppendRatio = 1.5, kGrowthRatio = 1.2;
constexpr uint64_t kStride = 7919;  // a prime: the records deleted spread over the whole file

std::string DeleteName(int64_t records) { return "delete_" + SizeLabel(records); }

std::filesystem::path WorkingCopy(const BenchData& data, int64_t records) {
    const std::filesystem::path folder = data.folder / ("change-" + SizeLabel(records));
    std::filesystem::create_directories(folder);
    const std::filesystem::path source = EnsureYearFile(SizeFolder(data, records), records, kBenchDayKey);
    const std::filesystem::path copy = YearFilePath(folder, kBenchDayKey);
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
    // On disk before timing starts: the first timed sync must not write the whole copy.
    const int fd = ::open(copy.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) throw std::runtime_error("cannot sync " + copy.string());
    ::close(fd);
    return folder;
}

bool ReadRecord(const std::filesystem::path& file, uint64_t offset, StoredRecord& record) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    const bool read = fd >= 0 && ::pread(fd, &record.record, kRecordSize, off_t(offset)) == ssize_t(kRecordSize);
    if (fd >= 0) ::close(fd);
    record.offset = offset;
    return read;
}

// Each iteration deletes another record; undoing it is left out of the time.
void DeleteOnce(benchmark::State& state, const std::filesystem::path& folder, int64_t records) {
    const std::filesystem::path file = YearFilePath(folder, kBenchDayKey);
    uint64_t next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        StoredRecord seen;
        if (!ReadRecord(file, (next++ * kStride) % uint64_t(records) * kRecordSize, seen)) {
            state.SkipWithError("cannot read the year file");
            return;
        }
        state.ResumeTiming();
        const bool deleted = DeleteRecord(folder, seen).Stored();
        state.PauseTiming();
        if (!deleted || !Undo(folder, {seen, std::nullopt}).Stored()) {
            state.SkipWithError("the deletion or its undo failed");
            return;
        }
        state.ResumeTiming();
    }
}

void AppendOnce(benchmark::State& state, const std::filesystem::path& folder) {
    for (auto _ : state) {
        if (!AppendAppointment(folder, kBenchDayKey, "10:00", "600111222", LongName(1), LongSubject(1)).Stored()) {
            state.SkipWithError("AppendAppointment failed");
            return;
        }
    }
}

}  // namespace

void RegisterChange(const BenchData& data) {
    for (const int64_t records : data.sizes) {
        const std::filesystem::path folder = WorkingCopy(data, records);
        benchmark::RegisterBenchmark(DeleteName(records).c_str(), [folder, records](benchmark::State& state) {
            DeleteOnce(state, folder, records);
        })->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    const std::filesystem::path smallest = data.folder / ("change-" + SizeLabel(data.sizes.front()));
    benchmark::RegisterBenchmark("append_reference", [smallest](benchmark::State& state) {
        AppendOnce(state, smallest);
    })->Unit(benchmark::kMillisecond)->UseRealTime();
}

// On wall time: the disk's wait is most of the cost, and CPU time leaves it out.
void ReportChange(const BenchData& data, const Medians& medians) {
    const Timing append = MedianOf(medians, "append_reference");
    const std::string smallest = DeleteName(data.sizes.front());
    const Timing first = MedianOf(medians, smallest);
    PrintTimeFigure(smallest, "one deletion", first, "one AppendAppointment", append);
    PrintRatio("delete_vs_append", first.real / append.real, kAppendRatio);
    const std::string largest = DeleteName(data.sizes.back());
    const Timing last = MedianOf(medians, largest);
    PrintTimeFigure(largest, "one deletion", last, "the same in " + SizeLabel(data.sizes.front()) + " records", first);
    PrintRatio("delete_" + SizeLabel(data.sizes.back()) + "_vs_" + SizeLabel(data.sizes.front()), last.real / first.real,
               kGrowthRatio);
}

}  // namespace quimbaro::bench
