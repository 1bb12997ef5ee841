#pragma once
// Opens the window's own help file, Corvane.hlp, in Wine's help viewer when
// one is installed. The viewer finds a topic by its context string and wants
// to be started in the help file's folder.

#include <string>

namespace qvHelpViewer {

inline constexpr const char* kContents = "contents";
inline constexpr const char* kLatestVersion = "latest_version";
inline constexpr const char* kQuestions = "questions";
// The topic of each page of the main window, in the order of its tabs.
inline constexpr const char* kPageTopics[] = {"start_page", "options_page", "status_page", "proxy_cache_page",
                                              "help_page"};

// Where Corvane.hlp is looked for: beside this library, then beside the
// running program. Empty when it is in neither place.
std::string helpFile();

// Starts the viewer at `context`. Empty on success, else the text to show
// the user (no viewer installed, no help file).
std::string open(const char* context);

}  // namespace qvHelpViewer
