#ifndef LARKSPUR_TESTS_NATIVE_BENCH_STOREMEMORYBENCH_H
#define LARKSPUR_TESTS_NATIVE_BENCH_STOREMEMORYBENCH_H

// Bytes per status: the process's memory growth while a store takes `size`
// typical statuses 20 at a time, the packed store beside the fixed-record
// layout it replaced, each in a child process of its own so that none reuses
// memory another freed. With the merge and reader figures at that size.
void BenchStoreMemory(int size);

// A store with a memory limit, offered pages past it: what it keeps, what it
// counts, and whether its readers still see a whole newest-first list.
void BenchMemoryLimit();

#endif
