#pragma once
// A pane stand-in that counts the document's broadcasts and keeps the last sender and hint.
#include "document/doc_view.h"

namespace lumivane::test {

class CountingView final : public DocView {
 public:
  void OnInitialUpdate() override {}
  void OnUpdate(DocView* sender, int hint) override {
    ++updates;
    lastSender = sender;
    lastHint = hint;
  }
  int updates = 0;
  DocView* lastSender = this;  // this: no broadcast yet
  int lastHint = -1;
};

}  // namespace lumivane::test
