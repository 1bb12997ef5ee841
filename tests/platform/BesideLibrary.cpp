// A library that lives beside the test executable only.
extern "C" int CvBesideAnswer() { return 42; }
