# Tests of the engine's start-up, command line and exit watcher.
corvane_add_test(driver_startup_tests CommandLineTest.cpp ExitThreadTest.cpp EngineStartupTest.cpp)
add_dependencies(driver_startup_tests corvane)
# Batch runs compile their project, and some tests read the result back.
add_dependencies(driver_startup_tests hcrtf hlpdump)
