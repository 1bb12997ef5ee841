#pragma once
// The run's prototypes: one per tag class in tokenizer order (the generic
// tag last), plus the text-run and entity prototypes kept apart. Built once
// per run after the context exists; every expression is compiled here.

#include <memory>
#include <vector>

#include "html/qvHtmlTag.h"
#include "html/qvHtmlText.h"

class qvHtmlContext;

class qvPrototypeList {
 public:
  explicit qvPrototypeList(qvHtmlContext& context);

  const std::vector<std::unique_ptr<qvHtmlTag>>& tags() const { return tags_; }
  qvHtmlTextString& textRun() { return textRun_; }
  qvHtmlEscape& entity() { return entity_; }

 private:
  qvHtmlEscape entity_;
  qvHtmlTextString textRun_;
  std::vector<std::unique_ptr<qvHtmlTag>> tags_;
};
