#pragma once
// <hr>: a horizontal rule, written as a bordered empty paragraph between
// two small blank ones. `newtopic` (bare or "yes") marks a rule at which a
// page may be split into topics.

#include "html/qvNamedTag.h"

class qvTagHR : public qvNamedTag {
 public:
  using qvNamedTag::qvNamedTag;

  // Kept unless it is an end tag.
  bool bind(qvItemCursor& following) override;
  // The rule; nothing inside a hotspot, where a paragraph would end the
  // link.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  bool newTopic() const { return newTopic_; }

  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;
  std::string className() const override { return "TagHR"; }

 protected:
  void constructed() override;

 private:
  bool newTopic_ = false;
};
