// Drawing onto a canvas: exact call sequences on a recording canvas.

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "imaging/image_processing.h"
#include "tests/imaging/error_kind_of.h"

namespace tavro {
namespace {

struct Call {
  std::string op;
  std::vector<float> args;
  std::int32_t value = 0;  // colour, style or width
  bool operator==(const Call&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Call& call) {
  out << call.op << "(";
  for (float a : call.args) out << a << " ";
  return out << "| " << call.value << ")";
}

// Records every call, scale reads included, and keeps the state a real
// canvas would keep. Can be told to fail at its n-th drawing call.
class RecordingCanvas : public Canvas {
 public:
  RecordingCanvas(float scaleW, float scaleH) : widths_{scaleW}, heights_{scaleH} {}
  // A canvas whose scale changes on every read: the k-th read of each side
  // returns the k-th value (the last one once they run out).
  RecordingCanvas(std::vector<float> widths, std::vector<float> heights)
      : widths_(std::move(widths)), heights_(std::move(heights)) {}

  float scaleWidth() const override { return nextScale("SW", widths_, widthReads_); }
  float scaleHeight() const override { return nextScale("SH", heights_, heightReads_); }
  std::int32_t point(float, float) const override { return 0; }

  void cls() override { draw({"cls", {}, 0}); }
  void setFillStyle(std::int16_t style) override {
    draw({"style", {}, style});
    fillStyle = style;
  }
  void setFillColor(std::int32_t colour) override {
    draw({"fill", {}, colour});
    fillColour = colour;
  }
  void setDrawWidth(std::int16_t width) override {
    draw({"width", {}, width});
    drawWidth = width;
  }
  void line(float x1, float y1, float x2, float y2, std::int32_t colour) override {
    draw({"line", {x1, y1, x2, y2}, colour});
    position = {x2, y2};
  }
  void lineTo(float x2, float y2, std::int32_t colour) override {
    draw({"lineTo", {x2, y2}, colour});
    position = {x2, y2};
  }
  void box(float x1, float y1, float x2, float y2, std::int32_t colour) override {
    draw({"box", {x1, y1, x2, y2}, colour});
  }

  // Every call except the scale reads.
  std::vector<Call> drawing() const {
    std::vector<Call> result;
    for (const Call& c : calls)
      if (c.op != "SW" && c.op != "SH") result.push_back(c);
    return result;
  }
  int countOf(const std::string& op) const {
    int n = 0;
    for (const Call& c : calls) n += c.op == op;
    return n;
  }

  mutable std::vector<Call> calls;
  std::optional<int> failAtDrawingCall;  // 1-based
  std::optional<std::int16_t> fillStyle;
  std::optional<std::int32_t> fillColour;
  std::optional<std::int16_t> drawWidth;
  std::optional<std::pair<float, float>> position;

 private:
  float nextScale(const char* op, const std::vector<float>& values, int& reads) const {
    const float v = values[std::min<std::size_t>(reads, values.size() - 1)];
    ++reads;
    calls.push_back({op, {}, 0});
    return v;
  }
  void draw(Call call) {
    ++drawingCalls_;
    if (failAtDrawingCall && drawingCalls_ == *failAtDrawingCall)
      throw Error(ErrorKind::Platform, "canvas refused");
    calls.push_back(std::move(call));
  }

  std::vector<float> widths_, heights_;
  mutable int widthReads_ = 0, heightReads_ = 0;
  int drawingCalls_ = 0;
};

Call style0() { return {"style", {}, 0}; }
Call fill(std::int32_t c) { return {"fill", {}, c}; }
Call box(float x1, float y1, float x2, float y2, std::int32_t c) { return {"box", {x1, y1, x2, y2}, c}; }
Call line(float x1, float y1, float x2, float y2, std::int32_t c) { return {"line", {x1, y1, x2, y2}, c}; }
Call lineTo(float x, float y, std::int32_t c) { return {"lineTo", {x, y}, c}; }
Call cls() { return {"cls", {}, 0}; }
Call width1() { return {"width", {}, 1}; }

// A 2 x 2 grid with cells (0,0)=10, (0,1)=20, (1,0)=30, (1,1)=200.
classImageProcessing twoByTwo(std::int16_t processType) {
  classImageProcessing grid;
  grid.init(2, 2);
  grid.setPoint(0, 0, 10);
  grid.setPoint(0, 1, 20);
  grid.setPoint(1, 0, 30);
  grid.setPoint(1, 1, 200);
  grid.setProcessType(processType);
  return grid;
}

// ---- show ----

TEST(RenderingShow, DrawsEveryCellAsASolidBoxColumnsOuter) {
  const classImageProcessing grid = twoByTwo(2);
  RecordingCanvas canvas(100, 50);
  grid.show(canvas);
  const std::vector<Call> expected = {
      style0(),
      fill(rgb(0, 10, 0)), box(0, 0, 50, 25, rgb(0, 10, 0)),
      fill(rgb(0, 20, 0)), box(0, 25, 50, 50, rgb(0, 20, 0)),
      fill(rgb(0, 30, 0)), box(50, 0, 100, 25, rgb(0, 30, 0)),
      fill(rgb(0, 200, 0)), box(50, 25, 100, 50, rgb(0, 200, 0)),
  };
  EXPECT_EQ(canvas.drawing(), expected);
  EXPECT_EQ(canvas.countOf("cls"), 0);  // the cells cover the whole area
}

TEST(RenderingShow, ColourChannelFollowsProcessType) {
  struct Case {
    std::int16_t processType;
    std::int32_t colourOf200;
  };
  const Case cases[] = {{1, 200}, {2, 200 * 256}, {3, 200 * 65536}, {0, 200 * 65793},
                        {5, 200 * 65793}, {-1, 200 * 65793}, {7, 200 * 65793}};
  for (const Case& c : cases) {
    const classImageProcessing grid = twoByTwo(c.processType);
    RecordingCanvas canvas(100, 50);
    grid.show(canvas);
    const std::vector<Call> calls = canvas.drawing();
    ASSERT_EQ(calls.size(), 9u) << "processType " << c.processType;
    EXPECT_EQ(calls[7], fill(c.colourOf200)) << "processType " << c.processType;
    EXPECT_EQ(calls[8], box(50, 25, 100, 50, c.colourOf200)) << "processType " << c.processType;
  }
}

TEST(RenderingShow, ReadsTheScaleFourTimesPerCellWidthThenHeight) {
  const classImageProcessing grid = twoByTwo(0);
  RecordingCanvas canvas(100, 50);
  grid.show(canvas);
  EXPECT_EQ(canvas.countOf("SW"), 8);
  EXPECT_EQ(canvas.countOf("SH"), 8);
  // Between the fill colour and the box of the first cell: SW, SH, SW, SH.
  ASSERT_GE(canvas.calls.size(), 7u);
  EXPECT_EQ(canvas.calls[1], fill(rgb(10, 10, 10)));
  EXPECT_EQ(canvas.calls[2].op, "SW");
  EXPECT_EQ(canvas.calls[3].op, "SH");
  EXPECT_EQ(canvas.calls[4].op, "SW");
  EXPECT_EQ(canvas.calls[5].op, "SH");
  EXPECT_EQ(canvas.calls[6].op, "box");
}

TEST(RenderingShow, EachCornerUsesItsOwnScaleRead) {
  classImageProcessing grid;
  grid.init(1, 1);
  // Scale reads: width 100 then 200, height 10 then 20.
  RecordingCanvas canvas(std::vector<float>{100, 200}, std::vector<float>{10, 20});
  grid.show(canvas);
  const std::vector<Call> expected = {style0(), fill(0), box(0, 0, 200, 20, 0)};
  EXPECT_EQ(canvas.drawing(), expected);
}

TEST(RenderingShow, CellEdgesAreDoubleQuotientsStoredAsFloat) {
  classImageProcessing grid;
  grid.init(3, 1);
  RecordingCanvas canvas(10, 10);
  grid.show(canvas);
  const float third = static_cast<float>(1.0 / 3.0 * 10.0);
  const float twoThirds = static_cast<float>(2.0 / 3.0 * 10.0);
  // The single-precision quotient would land on a neighbouring float.
  ASSERT_NE(third, (1.0f / 3.0f) * 10.0f);
  const std::vector<Call> boxes = {canvas.drawing()[2], canvas.drawing()[4], canvas.drawing()[6]};
  EXPECT_EQ(boxes[0], box(0, 0, third, 10, 0));
  EXPECT_EQ(boxes[1], box(third, 0, twoThirds, 10, 0));
  EXPECT_EQ(boxes[2], box(twoThirds, 0, 10, 10, 0));
}

TEST(RenderingShow, LeavesSolidStyleAndTheLastFillColour) {
  const classImageProcessing grid = twoByTwo(1);
  RecordingCanvas canvas(100, 50);
  grid.show(canvas);
  EXPECT_EQ(canvas.fillStyle, 0);
  EXPECT_EQ(canvas.fillColour, rgb(200, 0, 0));
  EXPECT_FALSE(canvas.drawWidth.has_value());
}

TEST(RenderingShow, TracesViewClearsThenDrawsTracedCellsAndChain) {
  classImageProcessing grid;
  grid.init(4, 4);
  grid.setProcessType(4);
  grid.setPoint(2, 2, 255);  // not traced: not drawn in this view
  RecordingCanvas canvas(100, 100);
  grid.show(canvas);
  const std::vector<Call> expected = {cls(), style0(), style0(), width1()};
  EXPECT_EQ(canvas.drawing(), expected);
}

TEST(RenderingShow, NothingToDrawBeforeInit) {
  classImageProcessing grid;
  RecordingCanvas plain(100, 100);
  grid.show(plain);
  EXPECT_EQ(plain.drawing(), std::vector<Call>{style0()});

  grid.setProcessType(4);
  RecordingCanvas traces(100, 100);
  grid.show(traces);
  const std::vector<Call> expected = {cls(), style0(), style0(), width1()};
  EXPECT_EQ(traces.calls, expected);  // no scale reads either

  RecordingCanvas edges(100, 100);
  grid.showEdges(edges);
  EXPECT_EQ(edges.calls, (std::vector<Call>{cls(), style0()}));
}

TEST(RenderingShow, WidthBeyondTheGridFailsOutOfRangeAfterTheCellsThatExist) {
  classImageProcessing grid;
  grid.init(1, 1);   // cells (0..1, 0..1)
  grid.setHeight(3); // rows 2 and 3 do not exist
  RecordingCanvas canvas(100, 100);
  errorOf(ErrorKind::SubscriptOutOfRange, [&] { grid.show(canvas); });
  EXPECT_EQ(canvas.countOf("box"), 2);  // rows 0 and 1 of column 0
}

TEST(RenderingShow, LowestWidthOverflowsTheLoopBound) {
  classImageProcessing grid;
  grid.setWidth(-32768);
  grid.setHeight(1);
  RecordingCanvas canvas(100, 100);
  errorOf(ErrorKind::Overflow, [&] { grid.show(canvas); });
  EXPECT_EQ(canvas.drawing(), std::vector<Call>{style0()});
}

TEST(RenderingShow, CanvasFailureStopsDrawingAndKeepsWhatWasDrawn) {
  const classImageProcessing grid = twoByTwo(0);
  RecordingCanvas canvas(100, 50);
  canvas.failAtDrawingCall = 5;  // style, fill, box, fill, box <- fails
  EXPECT_EQ(errorOf(ErrorKind::Platform, [&] { grid.show(canvas); }), "canvas refused");
  const std::vector<Call> expected = {style0(), fill(rgb(10, 10, 10)), box(0, 0, 50, 25, rgb(10, 10, 10)),
                                      fill(rgb(20, 20, 20))};
  EXPECT_EQ(canvas.drawing(), expected);
}

// ---- showEdgeTraces / showEdgeVector without traces ----

TEST(RenderingEdgeVector, NoSegmentsOnlySetsStyleAndWidth) {
  classImageProcessing grid;
  grid.init(5, 5);
  RecordingCanvas canvas(100, 100);
  grid.showEdgeVector(canvas);
  const std::vector<Call> expected = {style0(), width1()};
  EXPECT_EQ(canvas.calls, expected);  // no scale reads either
  EXPECT_EQ(canvas.drawWidth, 1);
  EXPECT_FALSE(canvas.position.has_value());
}

TEST(RenderingEdgeTraces, NoTracedCellsDrawsNoBoxAndDoesNotClear) {
  classImageProcessing grid;
  grid.init(3, 3);
  grid.setPoint(1, 1, 200);
  RecordingCanvas canvas(30, 30);
  grid.showEdgeTraces(canvas);
  const std::vector<Call> expected = {style0(), style0(), width1()};
  EXPECT_EQ(canvas.calls, expected);
}

// ---- showEdges without detected edges ----

TEST(RenderingEdges, EmptyMapClearsAndReadsFourScalesPerGlyphCell) {
  classImageProcessing grid;
  grid.init(25, 25);  // 12 x 12 glyph cells; column and row 12 are never drawn
  RecordingCanvas canvas(120, 120);
  grid.showEdges(canvas);
  const std::vector<Call> expected = {cls(), style0()};
  EXPECT_EQ(canvas.drawing(), expected);
  EXPECT_EQ(canvas.countOf("SW"), 2 * 144);
  EXPECT_EQ(canvas.countOf("SH"), 2 * 144);
}

TEST(RenderingEdges, MapWiderThanItsArrayFailsOutOfRange) {
  classImageProcessing grid;
  grid.init(4, 4);          // edge map (0..2, 0..2)
  grid.setEdgesWidth(5);    // columns 3 and 4 do not exist
  RecordingCanvas canvas(100, 100);
  errorOf(ErrorKind::SubscriptOutOfRange, [&] { grid.showEdges(canvas); });
}

// ---- with detected edges and traced segments ----

// A 4 x 4 grid whose only examined window (cells 0..2 x 0..2) is the ideal
// window of one pattern; its class lands in edge cell (0, 0) and the
// clean-up leaves it alone.
classImageProcessing singleEdge(std::initializer_list<std::pair<int, int>> brightCells) {
  classImageProcessing grid;
  grid.init(4, 4);
  for (auto [x, y] : brightCells) grid.setPoint(x, y, 255);
  grid.getEdges();
  return grid;
}

TEST(RenderingEdges, EachClassHasItsGlyphInTheCellsRectangle) {
  struct Case {
    std::uint8_t code;
    classImageProcessing grid;
    std::vector<Call> glyph;
  };
  // Edge cells are 50 x 25 on a 100 x 50 canvas; cell (0, 0) spans (0,0)-(50,25).
  const Case cases[] = {
      {1, singleEdge({{0, 0}, {1, 0}, {2, 0}}), {line(0, 0, 50, 0, 0)}},
      {2, singleEdge({{0, 0}, {0, 1}, {0, 2}}), {line(0, 0, 0, 25, 0)}},
      {3, singleEdge({{2, 0}, {1, 1}, {0, 2}}), {line(0, 25, 50, 0, 0)}},
      {4, singleEdge({{0, 0}, {1, 1}, {2, 2}}), {line(0, 0, 50, 25, 0)}},
      {5, singleEdge({{0, 0}, {2, 0}, {1, 1}, {0, 2}, {2, 2}}), {line(0, 0, 50, 0, 0), line(0, 0, 0, 25, 0)}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.grid.edgeGridView().at(0, 0), c.code);
    RecordingCanvas canvas(100, 50);
    c.grid.showEdges(canvas);
    std::vector<Call> expected = {cls(), style0()};
    expected.insert(expected.end(), c.glyph.begin(), c.glyph.end());
    EXPECT_EQ(canvas.drawing(), expected) << "class " << int{c.code};
    // The glyph follows the four scale reads of its own cell; all four cells are read.
    EXPECT_EQ(canvas.calls[6].op, "line") << "class " << int{c.code};
    EXPECT_EQ(canvas.countOf("SW") + canvas.countOf("SH"), 16);
  }
}

// A 25 x 25 grid with runs of value 100 at x = 5..20 on each given row, each
// traced from its east end: one segment per run, from (20, row) to (5, row).
classImageProcessing tracedRuns(std::initializer_list<std::int16_t> rows) {
  classImageProcessing grid;
  grid.init(25, 25);
  for (std::int16_t row : rows) {
    for (std::int16_t x = 5; x <= 20; ++x) grid.setPoint(x, row, 100);
  }
  for (std::int16_t row : rows) {
    std::int16_t x = 20, y = row, length = 0;
    EXPECT_TRUE(grid.traceEdgesFromPoint(x, y, length));
  }
  return grid;
}

TEST(RenderingEdgeVector, OneSegmentIsOneBlackLineBetweenCellCorners) {
  const classImageProcessing grid = tracedRuns({3});
  ASSERT_EQ(grid.noOfEdgeTraces(), 1);
  RecordingCanvas canvas(250, 250);  // 10 units per cell
  grid.showEdgeVector(canvas);
  const std::vector<Call> expected = {style0(), width1(), fill(0), line(200, 30, 50, 30, 0)};
  EXPECT_EQ(canvas.drawing(), expected);
  EXPECT_EQ(canvas.countOf("SW") + canvas.countOf("SH"), 4);
}

TEST(RenderingEdgeVector, LaterSegmentsGetAConnectorInTheirOwnRedLevel) {
  const classImageProcessing grid = tracedRuns({3, 10});
  ASSERT_EQ(grid.noOfEdgeTraces(), 2);
  RecordingCanvas canvas(250, 250);
  grid.showEdgeVector(canvas);
  const std::vector<Call> expected = {style0(), width1(),
                                      fill(0), line(200, 30, 50, 30, 0),
                                      fill(rgb(1, 0, 0)), lineTo(200, 100, rgb(1, 0, 0)),
                                      line(200, 100, 50, 100, rgb(1, 0, 0))};
  EXPECT_EQ(canvas.drawing(), expected);
  // Left on the canvas: solid style, the last red level, width 1, the last line's end.
  EXPECT_EQ(canvas.fillStyle, 0);
  EXPECT_EQ(canvas.fillColour, rgb(1, 0, 0));
  EXPECT_EQ(canvas.drawWidth, 1);
  EXPECT_EQ(canvas.position, std::make_pair(50.0f, 100.0f));
}

TEST(RenderingEdgeVector, FullTableDrawsTwoHundredRowsRedLevelEqualToRow) {
  // Isolated cells with minEdgeLength 0: every one is a kept one-cell trace.
  classImageProcessing grid;
  grid.init(30, 30);
  grid.setMinEdgeLength(0);
  for (std::int16_t x = 0; x < 30; x += 2)
    for (std::int16_t y = 0; y < 30; y += 2) grid.setPoint(x, y, 50);
  for (std::int16_t x = 0; x < 30; x += 2) {
    for (std::int16_t y = 0; y < 30; y += 2) {
      std::int16_t tx = x, ty = y, length = 0;
      grid.traceEdgesFromPoint(tx, ty, length);
    }
  }
  ASSERT_EQ(grid.noOfEdgeTraces(), 200);  // 225 cells, the rest dropped
  RecordingCanvas canvas(300, 300);
  grid.showEdgeVector(canvas);
  std::vector<std::int32_t> fills;
  for (const Call& c : canvas.drawing())
    if (c.op == "fill") fills.push_back(c.value);
  ASSERT_EQ(fills.size(), 200u);
  for (std::int32_t i = 0; i < 200; ++i) EXPECT_EQ(fills[i], rgb(i, 0, 0)) << "row " << i;
  EXPECT_EQ(canvas.countOf("line"), 200);
  EXPECT_EQ(canvas.countOf("lineTo"), 199);
  // Row 199 is the 200th cell: 13 columns of 15 cells, then the 5th cell of
  // x = 26, at y = 8 -> (260, 80), a line of no length.
  EXPECT_EQ(canvas.drawing().back(), line(260, 80, 260, 80, rgb(199, 0, 0)));
}

TEST(RenderingEdgeVector, SegmentsOnAGridOfNoWidthFailDivisionByZero) {
  classImageProcessing grid = tracedRuns({3});
  grid.setWidth(0);
  RecordingCanvas canvas(250, 250);
  errorOf(ErrorKind::DivisionByZero, [&] { grid.showEdgeVector(canvas); });
  const std::vector<Call> expected = {style0(), width1(), fill(0)};
  EXPECT_EQ(canvas.drawing(), expected);
}

// The traced cells of a run on row 3, in column order, then the chain.
std::vector<Call> tracedRunView() {
  const std::int32_t grey = rgb(230, 230, 230);
  std::vector<Call> calls = {style0()};
  for (int x = 5; x <= 20; ++x) {
    calls.push_back(fill(grey));
    calls.push_back(box(x * 10.0f, 30, x * 10.0f + 10, 40, grey));
  }
  for (const Call& c : {style0(), width1(), fill(0), line(200, 30, 50, 30, 0)}) calls.push_back(c);
  return calls;
}

TEST(RenderingEdgeTraces, TracedCellsInLightGreyThenTheChain) {
  const classImageProcessing grid = tracedRuns({3});
  RecordingCanvas canvas(250, 250);
  grid.showEdgeTraces(canvas);
  EXPECT_EQ(canvas.drawing(), tracedRunView());
  EXPECT_EQ(canvas.countOf("SW") + canvas.countOf("SH"), 16 * 4 + 4);
}

TEST(RenderingShow, TracesViewOfATracedRun) {
  classImageProcessing grid = tracedRuns({3});
  grid.setProcessType(4);
  RecordingCanvas canvas(250, 250);
  grid.show(canvas);
  std::vector<Call> expected = {cls()};
  for (const Call& c : tracedRunView()) expected.push_back(c);
  EXPECT_EQ(canvas.drawing(), expected);
}

}  // namespace
}  // namespace tavro
