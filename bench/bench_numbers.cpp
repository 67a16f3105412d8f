// Throughput of NumberValue and NumberText over the numbers of a generated level.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "bench_levels.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

bool IsNumberChar(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-';
}

// Every run of digits, signs and dots in the level: its coordinates, pans and counts.
std::vector<std::string_view> NumberTokens(std::string_view level) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < level.size()) {
    if (!IsNumberChar(level[i])) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    while (i < level.size() && IsNumberChar(level[i])) ++i;
    tokens.push_back(level.substr(start, i - start));
  }
  return tokens;
}

std::int64_t TotalSize(const std::vector<std::string_view>& tokens) {
  std::int64_t bytes = 0;
  for (const auto token : tokens) bytes += static_cast<std::int64_t>(token.size());
  return bytes;
}

void BM_NumberValue(benchmark::State& state) {
  const auto tokens = NumberTokens(BenchLevel(LevelVariant::Standard, state.range(0)));
  for (auto _ : state) {
    double sum = 0;
    for (const auto token : tokens) sum += NumberValue(token);
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * TotalSize(tokens));
}
BENCHMARK(BM_NumberValue)->Arg(1)->Arg(8)->ArgName("scale");

// Bytes are those of the T3D texts the values were read from, as the run writes them again.
void BM_NumberText(benchmark::State& state) {
  const auto tokens = NumberTokens(BenchLevel(LevelVariant::Standard, state.range(0)));
  std::vector<double> values;
  values.reserve(tokens.size());
  for (const auto token : tokens) values.push_back(NumberValue(token) / 3);
  for (auto _ : state) {
    std::size_t length = 0;
    for (const double value : values) length += NumberText(value).size();
    benchmark::DoNotOptimize(length);
  }
  state.SetBytesProcessed(state.iterations() * TotalSize(tokens));
}
BENCHMARK(BM_NumberText)->Arg(1)->Arg(8)->ArgName("scale");

}  // namespace
}  // namespace brushwright
