# What `cmake --graphviz` draws: the project's libraries and programs and their links.
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "quillo_tests_.*" "quillo_bench_.*" "quillo_fuzz_.*" "quillo_testsupport.*"
    "quillo_fake_vgrab" "quillo_flags")
