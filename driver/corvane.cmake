# The engine's start-up, command line and run loop, and the `corvane` program.
target_sources(corvane_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/qvCommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qvDriver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qvExitThread.cpp
)
add_executable(corvane ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(corvane PRIVATE corvane_engine)
set_target_properties(corvane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
