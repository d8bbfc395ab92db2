#pragma once
// Helpers shared by the fuzz targets: one scratch folder per process and a
// check that stops the fuzzer with a readable message.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quimbaro::fuzz {

// A fresh folder under the system's temp folder, made on first use and
// removed when the process exits normally.
const std::filesystem::path& ScratchFolder();

// Replaces the file's contents with the bytes; aborts when that fails, since
// every later check would be meaningless.
void WriteWholeFile(const std::filesystem::path& file, const uint8_t* data, std::size_t size);

// The whole file's bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& file);

[[noreturn]] void Fail(const char* file, int line, const char* condition);

}  // namespace quimbaro::fuzz

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::quimbaro::fuzz::Fail(__FILE__, __LINE__, #condition))
