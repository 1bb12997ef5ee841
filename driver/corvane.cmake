# The engine's start-up, command line and run loop, and the `corvane` program.
target_sources(corvane_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/qvCommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qvDriver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qvExitThread.cpp
)
target_link_libraries(corvane_engine PRIVATE corvane_build_version)
add_executable(corvane ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(corvane PRIVATE corvane_engine)
# Installed, the loadable libraries are not beside the engine but in their
# own folder; the loader looks there before the search path.
set_target_properties(corvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  INSTALL_RPATH "$ORIGIN/${CORVANE_BIN_TO_PRIVATE_LIBDIR}")
install(TARGETS corvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
