// Bytes in, a bounded sequence of calls out: on two image grids, a small
// canvas (which is also the picture surface sampled), charts and a face
// recogniser. Every call must succeed or throw tavro::Error: no crash, no
// sanitizer report, no call that runs long. The recogniser is shadowed by the
// plain reference algorithm and must answer every call exactly as it does.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "face/face_recogniser.h"
#include "fuzz/fuzz_values.h"
#include "fuzz/in_memory_canvas.h"
#include "fuzz/in_memory_chart.h"
#include "imaging/image_processing.h"
#include "platform/random.h"
#include "tests/face/call_outcome.h"
#include "tests/face/reference_recogniser.h"

namespace tavro::fuzz {
namespace {

constexpr int kMaxCalls = 64;
// Sizes whose grids would hold more cells are not asked for: the cost of a
// call grows with the cells, and the caller chooses them. 182 x 182 is just
// past 32767 cells, where the summaries' 16-bit cell counts overflow.
constexpr long kMaxCells = 183L * 183;
// Tracing walks again over cells that earlier traces covered, so its cost
// grows with the square of the cells: it is asked only of grids this small
// (long thin ones still reach every 16-bit limit of the segment table).
constexpr long kMaxTracedCells = 1024;
// Storing and identifying visit every cell of every stored face, so they
// are asked only while faces x cells stays below this.
constexpr long kMaxFaceCells = 1L << 18;

using GridRef = std::shared_ptr<classImageProcessing>;

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "grid_calls_fuzzer: %s\n", what);
  std::abort();
}

bool affordable(std::int16_t width, std::int16_t height) {
  return (std::labs(width) + 1) * (std::labs(height) + 1) <= kMaxCells;
}

bool traceable(const classImageProcessing& grid) {
  return std::labs(long{grid.width()} * grid.height()) <= kMaxTracedCells;
}

bool sameCells(const classImageProcessing& a, const classImageProcessing& b) {
  const auto& x = a.imageGridView();
  const auto& y = b.imageGridView();
  return x.upperX() == y.upperX() && x.upperY() == y.upperY() &&
         std::equal(x.data(), x.data() + x.size(), y.data());
}

class GridCalls {
 public:
  explicit GridCalls(FuzzedDataProvider& in) : in_(in) {}

  void run() {
    for (int call = 0; call < kMaxCalls && in_.remaining_bytes() > 0; ++call) callOne();
  }

 private:
  // The grid a call works on: a or b, or the Identity grid of each recogniser.
  struct Target {
    GridRef real;
    GridRef reference;
  };

  template <class Action>
  Outcome attempt(Action&& action) {
    canvas_.renewBudget();
    return outcomeOf(action);
  }

  std::optional<Target> chooseTarget() {
    switch (in_.ConsumeIntegralInRange<int>(0, 2)) {
      case 0: return Target{a_, a_};
      case 1: return Target{b_, b_};
      default:
        if (!recogniser_.Identity()) return std::nullopt;  // a call on no object is the caller's fault
        return Target{recogniser_.Identity(), reference_.Identity};
    }
  }

  // Runs op(grid, sameSideRawGrid) on the target; on the Identity grids, on
  // both sides, which must then agree.
  template <class Op>
  void onGrid(Op op) {
    const std::optional<Target> target = chooseTarget();
    const std::optional<Target> raw = chooseTarget();
    if (!target) return;
    const auto apply = [&](const GridRef& grid, const GridRef& rawGrid) {
      return attempt([&] {
        op(*grid, rawGrid ? *rawGrid : *grid);
        return std::string();
      });
    };
    const Outcome real = apply(target->real, raw ? raw->real : nullptr);
    if (target->reference == target->real) return;
    const Outcome reference = apply(target->reference, raw ? raw->reference : nullptr);
    require(real == reference, "a call on the Identity grids ended differently");
    require(sameCells(*target->real, *target->reference), "a call left the Identity grids different");
  }

  // Runs the same call on the recogniser and on the reference, which must agree.
  template <class RealCall, class ReferenceCall>
  void onRecognisers(RealCall realCall, ReferenceCall referenceCall) {
    const Outcome real = attempt(realCall);
    const Outcome reference = attempt(referenceCall);
    require(real == reference, "the recogniser and the reference answered differently");
    require(recogniser_.NoOfFaces() == reference_.NoOfFaces, "the face counts differ");
    const GridRef identity = recogniser_.Identity();
    require(!identity == !reference_.Identity, "only one Identity is set");
    if (identity) require(sameCells(*identity, *reference_.Identity), "the Identity grids differ");
  }

  void callOne() {
    switch (in_.ConsumeIntegralInRange<int>(0, 26)) {
      case 0: {
        const std::int16_t w = smallOrExtreme(in_), h = smallOrExtreme(in_);
        if (affordable(w, h)) onGrid([=](classImageProcessing& g, auto&) { g.init(w, h); });
        break;
      }
      case 1: {
        const std::int16_t x = smallOrExtreme(in_), y = smallOrExtreme(in_);
        const auto v = in_.ConsumeIntegral<std::uint8_t>();
        onGrid([=](classImageProcessing& g, auto&) { g.setPoint(x, y, v); });
        break;
      }
      case 2: {
        const std::int16_t x = smallOrExtreme(in_), y = smallOrExtreme(in_);
        onGrid([=](classImageProcessing& g, auto&) { g.getPoint(x, y); });
        break;
      }
      case 3: {
        // Each side restarts the same random sequence, so both draw alike.
        const auto seed = in_.ConsumeIntegral<std::uint32_t>();
        onGrid([=](classImageProcessing& g, auto&) {
          setRandomSource([state = seed]() mutable {
            state = state * 1664525u + 1013904223u;
            return (state >> 8) / 16777216.0;
          });
          g.whiteNoise();
        });
        break;
      }
      case 4: setVariable(); break;
      case 5: {
        std::optional<double> region[4];
        if (in_.ConsumeBool())
          for (auto& r : region) r = regionArgument(in_);
        onGrid([&](classImageProcessing& g, auto&) { g.update(canvas_, region[0], region[1], region[2], region[3]); });
        break;
      }
      case 6: onGrid([](classImageProcessing& g, auto&) { g.getEdges(); }); break;
      case 7: onGrid([](classImageProcessing& g, auto&) { g.getEdges_secondary(); }); break;
      case 8: onGrid([](classImageProcessing& g, auto&) { if (traceable(g)) g.traceEdges(); }); break;
      case 9: onGrid([](classImageProcessing& g, auto&) { if (traceable(g)) g.traceEdges_old(); }); break;
      case 10: {
        const std::int16_t x = smallOrExtreme(in_), y = smallOrExtreme(in_), length = smallOrExtreme(in_);
        onGrid([=](classImageProcessing& g, auto&) {
          std::int16_t cx = x, cy = y, cLength = length;
          g.traceEdgesFromPoint(cx, cy, cLength);
        });
        break;
      }
      case 11:
        onGrid([](classImageProcessing& g, classImageProcessing& raw) {
          // Beyond 32767 cells the mean overflows before any tracing.
          if (traceable(g) || std::labs(long{g.width()} * g.height()) > INT16_MAX) g.getImageEdges(raw);
        });
        break;
      case 12: onGrid([](classImageProcessing& g, classImageProcessing& raw) { g.getImageContours(raw); }); break;
      case 13: draw(); break;
      case 14: chart(); break;
      case 15: {  // copy one grid object over another, as a holder may
        const bool fromA = in_.ConsumeBool();
        onGrid([&](classImageProcessing& g, auto&) { g = fromA ? *a_ : *b_; });
        break;
      }
      case 16: {
        const auto x = in_.ConsumeIntegral<std::uint8_t>(), y = in_.ConsumeIntegral<std::uint8_t>();
        canvas_.setPixel(x, y, packedColour(in_));
        break;
      }
      case 17: {
        const float w = oddFloat(in_), h = oddFloat(in_);
        canvas_.setScale(w, h);
        canvas_.setOutsideColour(packedColour(in_));
        break;
      }
      case 18: {
        const std::int16_t w = smallOrExtreme(in_), h = smallOrExtreme(in_);
        if (!affordable(w, h)) break;
        onRecognisers([&] { recogniser_.init(w, h); return std::string(); },
                      [&] { reference_.init(w, h); return std::string(); });
        break;
      }
      case 19: {
        const std::int16_t v = smallOrExtreme(in_);
        switch (in_.ConsumeIntegralInRange<int>(0, 2)) {
          case 0: recogniser_.setImageWidth(v); reference_.imageWidth = v; break;
          case 1: recogniser_.setImageHeight(v); reference_.imageHeight = v; break;
          default: recogniser_.setNoOfFaces(v); reference_.NoOfFaces = v; break;
        }
        break;
      }
      case 20: {
        const int choice = in_.ConsumeIntegralInRange<int>(0, 2);
        const GridRef grid = choice == 0 ? nullptr : choice == 1 ? a_ : b_;
        recogniser_.setIdentity(grid);
        reference_.Identity = grid;
        break;
      }
      case 21: {
        if (!recognisersAffordable()) break;
        const std::string name = std::to_string(in_.ConsumeIntegralInRange<int>(0, 40));
        onRecognisers([&] { recogniser_.addFace(canvas_, name); return std::string(); },
                      [&] { reference_.addFace(canvas_, name); return std::string(); });
        break;
      }
      default:
        if (!recognisersAffordable()) break;
        onRecognisers([&] { return recogniser_.Identify(canvas_); },
                      [&] { return reference_.Identify(canvas_); });
        if (!recogniser_.lastScores().empty())
          require(recogniser_.lastScores() == reference_.lastScores, "the scores differ");
        break;
    }
  }

  bool recognisersAffordable() const {
    const long faces = std::labs(recogniser_.NoOfFaces()) + 1;
    const long cells = (std::labs(recogniser_.imageWidth()) + 1) * (std::labs(recogniser_.imageHeight()) + 1);
    return faces * cells <= kMaxFaceCells;
  }

  void setVariable() {
    const int which = in_.ConsumeIntegralInRange<int>(0, 7);
    const std::int16_t v = smallOrExtreme(in_);
    const float threshold = oddFloat(in_);
    onGrid([=](classImageProcessing& g, auto&) {
      switch (which) {
        case 0: g.setWidth(v); break;
        case 1: g.setHeight(v); break;
        case 2: g.setTraceEdgesThresh(v); break;
        case 3: g.setMinEdgeLength(v); break;
        case 4: g.setEdgesWidth(v); break;
        case 5: g.setEdgesHeight(v); break;
        case 6: g.setProcessType(v); break;
        default: g.setEdgeThreshold(threshold); break;
      }
    });
  }

  void draw() {
    const int which = in_.ConsumeIntegralInRange<int>(0, 3);
    onGrid([&](classImageProcessing& g, auto&) {
      switch (which) {
        case 0: g.show(canvas_); break;
        case 1: g.showEdgeTraces(canvas_); break;
        case 2: g.showEdgeVector(canvas_); break;
        default: g.showEdges(canvas_); break;
      }
    });
  }

  void chart() {
    const bool angles = in_.ConsumeBool();
    // A chart that counts its rows right, or one that misreports them.
    const int rowCountError = in_.ConsumeBool() ? 0 : smallOrExtreme(in_);
    onGrid([=](classImageProcessing& g, auto&) {
      InMemoryChart chart(rowCountError);
      angles ? g.showAngleHistogram(chart) : g.showEdgeHistogram(chart);
    });
  }

  FuzzedDataProvider& in_;
  GridRef a_ = std::make_shared<classImageProcessing>();
  GridRef b_ = std::make_shared<classImageProcessing>();
  InMemoryCanvas canvas_;
  ClassFaceRecogniser recogniser_;
  ReferenceRecogniser reference_;
};

}  // namespace
}  // namespace tavro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  tavro::fuzz::GridCalls(in).run();
  return 0;
}
