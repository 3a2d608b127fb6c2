#pragma once

// The groups of benchmarks of the dorivan_bench program, registered in this order.
namespace bench {
void registerScheduleBenchmarks();
void registerStoreBenchmarks();
void registerCsvBenchmarks();
void registerTermsBenchmarks();
void registerBankBenchmarks();
} // namespace bench
