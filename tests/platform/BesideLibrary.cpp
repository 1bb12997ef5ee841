// A library that lives beside the test executable only (and a copy that
// answers differently in the installed tree's library folder).
#ifndef CV_ANSWER
#define CV_ANSWER 42
#endif
extern "C" int CvBesideAnswer() { return CV_ANSWER; }
