if(PONDRAKE_GAME)
  pondrake_add_bench(scene_bench SOURCES scene_bench.cpp LIBS scene)
  target_compile_definitions(scene_bench PRIVATE PONDRAKE_BENCH_RUN_DIR="${PONDRAKE_RUN_DIR}")
endif()
