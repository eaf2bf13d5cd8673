# Options for `cmake --graphviz`, used by scripts/target-graph.py: the project's own libraries and programs
# only, without tests, benchmarks, helper tools of the build and system libraries.
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_INTERFACE_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "^tst_" "^vexa_bench" "^vexa_codec_fuzz$" "^vexa_testsupport$" "^vexa-startup-probe$"
                            "^vexa-shell-screens$" "^skin-preview$" "^commonskin-rasterize$" "_autogen")
