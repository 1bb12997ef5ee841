#pragma once
// For targets whose inputs reach many rare features (whole pages through the
// tokenizer, binder and writer): libFuzzer's entropic power schedule spends
// nearly all its time ranking those features (about 30 runs a second instead
// of 1,000), so these targets start with the plain schedule; a later
// -entropic=1 on the command line still wins. Include once, in the target's
// source file.

#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<char*> args;
  static char entropicOff[] = "-entropic=0";
  args.assign(*argv, *argv + *argc);
  args.insert(args.begin() + 1, entropicOff);
  args.push_back(nullptr);
  *argc = static_cast<int>(args.size() - 1);
  *argv = args.data();
  return 0;
}
