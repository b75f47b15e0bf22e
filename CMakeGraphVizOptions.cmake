# cmake --graphviz (make architecture): the program's libraries and what they link of Qt and
# Hamlib, for docs/architecture.md; not the tests, benchmarks, fuzzers and tools.
set(GRAPHVIZ_GRAPH_NAME "Nerimo's libraries")
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "^tst_" "^bench" "^nerimo-" "fuzzer$" "^receiver_sim$"
    "^nerimo_options$" "^Qt6::(Platform|Test|DBus|moc|.*Private)$" "^Qt::" "^Wrap" "^Threads"
    "^/" "^OpenGL" "^GLX" "^XKB" "^Vulkan" "^EGL")
