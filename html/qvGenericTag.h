#pragma once
// The catch-all: every tag no other class knows ("<!DOCTYPE html>", "<br/>",
// "<span>"). It parses no attributes, is dropped by binding and writes
// nothing.

#include <optional>
#include <string>
#include <string_view>

#include "html/qvHtmlTag.h"
#include "html/qvTagNameSet.h"

class qvGenericTag : public qvHtmlTag {
 public:
  static constexpr const char* kNamePattern = qvTagNameSet::kAnyName;
  static constexpr std::uint8_t kTypeCode = 1;

  explicit qvGenericTag(qvHtmlContext& context) : qvHtmlTag(context) {}

  bool isKnown() const override { return false; }
  std::optional<std::string_view> attributeText(std::string_view /*normalized*/) const override {
    return std::nullopt;
  }
  std::string className() const override { return "GenericTag"; }
};
