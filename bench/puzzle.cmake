pondrake_add_bench(puzzle_bench SOURCES puzzle_bench.cpp LIBS puzzle)
