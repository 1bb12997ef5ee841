#pragma once
// The texts a topic shows outside its body: the `$` title footnote, the `K`
// keyword list, the title printed in the non-scrolling region, and the
// escaping all of them share. They are pure functions of the page title (or
// URL) so the topic writer and its tests can use them without any run state.

#include <string>
#include <string_view>

namespace qvTopicText {

// RTF escaping for footnotes, titles and URLs: bytes of 128 and above become
// \'xx (lower-case hex); `\`, `{`, `}`, `[` and `]` get a backslash in front.
// Body text has its own escaping in the text writer.
std::string escapeFootnoteText(std::string_view text);

// The text of the `$` footnote: trimmed, quoted when it starts with a digit
// (the help compiler would otherwise read a number), characters that mean
// something to the help compiler's title footnote replaced by blanks, escaped
// and trimmed again.
std::string titleFootnoteText(std::string_view title);

// The title on one line: every run of blanks, tabs and line breaks becomes
// one blank, and none is left at either end. Not escaped. A title written
// over several lines of its page must not split the lines of the files that
// quote it.
std::string singleLineTitle(std::string_view title);

// The title as shown in the title region: white-space runs collapsed to one
// blank, then escaped.
std::string titleRegionText(std::string_view title);

// The `K` footnote text built from the title. Titles of the form
// "class a.b.C" (also "interface", "package") give the plural of the first
// word and every dotted suffix of the qualified name, so each can be looked
// up on its own; any other title gives itself (without a leading scheme) and
// each of its words of at least four characters. The result is escaped.
std::string keywordText(std::string_view title);

}  // namespace qvTopicText
