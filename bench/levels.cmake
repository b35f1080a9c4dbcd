pondrake_add_bench(levels_bench SOURCES levels_bench.cpp LIBS levelkit)
target_compile_definitions(levels_bench PRIVATE PONDRAKE_LEVELS_DIR="${PROJECT_SOURCE_DIR}/levels")
