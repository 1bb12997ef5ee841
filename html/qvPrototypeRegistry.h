#pragma once
// The one table of tag classes: in the order the tokenizer tries them, each
// class with its name pattern, prototype type code, the record codes its
// saved items carry, and its factory. The prototype list and the restore of
// intermediate files are both built from it, so a class is added in one
// place (qvPrototypeRegistry.cpp).

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "html/qvHtmlTag.h"
#include "html/qvItemArena.h"

struct qvPrototypeEntry {
  const char* className;
  const char* namePattern;
  std::uint8_t typeCode;
  // Record codes under which this class's items are saved.
  std::vector<std::uint8_t> recordCodes;
  qvTagFactory factory;
  // Instance codes by lower-case tag name, for classes whose code depends
  // on the name; empty when every instance keeps typeCode.
  std::vector<std::pair<std::string_view, std::uint8_t>> instanceCodes;
};

template <class T>
std::unique_ptr<qvHtmlTag> qvMakeTag(qvHtmlContext& context, qvItemArena* arena) {
  std::unique_ptr<qvHtmlTag> tag = arena != nullptr ? arena->make<T>(context) : std::make_unique<T>(context);
  tag->keepTextIn(arena);
  return tag;
}

// Every registered class, in tokenizer order; the generic tag is last.
const std::vector<qvPrototypeEntry>& qvPrototypeEntries();
// The factory for a saved tag's record code, or null for an unknown code.
qvTagFactory qvRestoreFactory(std::uint8_t recordCode);
// The instance code for a tag named `name` (any case) of the class whose
// prototype code is `typeCode`; typeCode itself when the name has none.
std::uint8_t qvInstanceTypeCode(std::uint8_t typeCode, std::string_view name);
