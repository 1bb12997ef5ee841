#pragma once
// Starts the help compiler for the engine and returns at once. The program
// runs in the given folder with nothing open beyond its three standard
// streams; what it prints is collected on a thread of its own, which also
// reaps it and tells the window how it ended. Until then the window keeps
// Start disabled, since a new run would delete the files the compiler reads.

class qvHcRtfRunner {
 public:
  // 1 when the compiler was started, 0 (after a box saying why) when not.
  static int run(const char* commandLine, const char* directory);

  // At most this much of the compiler's output is kept for the window.
  static constexpr unsigned kOutputLimit = 64 * 1024;
};
