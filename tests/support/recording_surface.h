// SPDX-License-Identifier: MIT
// A surface and dialogs that remember everything, for tests and fuzzing.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "surface/dialogs.h"
#include "surface/drawing_surface.h"

namespace henon {

struct DrawOp {
  enum Kind { kCls, kPSet, kLine, kBox, kPrint } kind;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::string text;
};

class RecordingSurface : public DrawingSurface {
 public:
  // Text metrics are simple and exact so tests can state positions in whole twips.
  RecordingSurface(double width, double height, double charWidth = 100, double lineHeight = 200)
      : width_(width), height_(height), charWidth_(charWidth), lineHeight_(lineHeight) {}

  void Cls() override { ops.push_back({DrawOp::kCls, 0, 0, 0, 0, {}}); }
  void PSet(double x, double y) override { ops.push_back({DrawOp::kPSet, x, y, 0, 0, {}}); }
  void PSetMany(std::span<const Point> points) override {
    ++batches;
    DrawingSurface::PSetMany(points);
  }
  using DrawingSurface::Line;
  void Line(double x1, double y1, double x2, double y2, bool box) override {
    ops.push_back({box ? DrawOp::kBox : DrawOp::kLine, x1, y1, x2, y2, {}});
  }
  void Print(const std::string& text) override {
    ops.push_back({DrawOp::kPrint, CurrentX, CurrentY, 0, 0, text});
  }
  double TextWidth(const std::string& text) const override {
    return charWidth_ * static_cast<double>(text.size());
  }
  double TextHeight(const std::string&) const override { return lineHeight_; }
  double ScaleWidth() const override { return width_; }
  double ScaleHeight() const override { return height_; }

  void resize(double width, double height) {
    width_ = width;
    height_ = height;
  }
  std::vector<DrawOp> of(DrawOp::Kind kind) const {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops)
      if (op.kind == kind) out.push_back(op);
    return out;
  }
  const DrawOp* printed(const std::string& text) const {
    for (const DrawOp& op : ops)
      if (op.kind == DrawOp::kPrint && op.text == text) return &op;
    return nullptr;
  }

  std::vector<DrawOp> ops;
  int batches = 0;

 private:
  double width_, height_, charWidth_, lineHeight_;
};

class ScriptedDialogs : public Dialogs {
 public:
  void MsgBox(const std::string& prompt) override { messages.push_back(prompt); }
  std::string InputBox(const std::string& prompt, const std::string& title) override {
    prompts.push_back(prompt);
    titles.push_back(title);
    if (answers.empty()) return {};
    std::string a = answers.front();
    answers.pop_front();
    return a;
  }

  std::deque<std::string> answers;  // prepared replies to input boxes, in order
  std::vector<std::string> messages;
  std::vector<std::string> prompts;
  std::vector<std::string> titles;
};

}  // namespace henon
