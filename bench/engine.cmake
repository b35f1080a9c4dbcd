if(PONDRAKE_GAME)
  pondrake_add_bench(engine_bench SOURCES engine_bench.cpp LIBS engine)
endif()
