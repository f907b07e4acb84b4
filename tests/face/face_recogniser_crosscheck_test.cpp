// The recogniser against the plain reference algorithm on random sequences of
// operations: the same names, errors, counts and Identity after every step,
// including misuse through the setters, re-init with other sizes and changes
// to matched grids made from outside (through shared or weak references, by
// setting cells, re-init, copying cells in or moving them out), which must
// never reach either database.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "face/face_recogniser.h"
#include "tests/face/call_outcome.h"
#include "tests/face/reference_recogniser.h"
#include "tests/imaging/fake_picture_surface.h"

namespace tavro {
namespace {

using GridRef = std::shared_ptr<classImageProcessing>;

// How a picture is made; two surfaces made from one recipe are identical.
struct PictureRecipe {
  float scaleWidth = 1;
  float scaleHeight = 1;
  unsigned seed = 0;
  int levels = 9;          // grey levels in steps of 32: ties are common
  bool coloured = false;   // packed colours of every kind instead of greys
  std::optional<std::size_t> failAfter;

  FakePictureSurface make() const {
    const unsigned s = seed;
    const int steps = levels;
    const bool colour = coloured;
    FakePictureSurface surface(scaleWidth, scaleHeight, [s, steps, colour](float x, float y) {
      unsigned h = s * 2654435761u ^ static_cast<unsigned>(x) * 40503u ^ static_cast<unsigned>(y) * 9973u;
      h ^= h >> 13;
      h *= 0x5bd1e995u;
      h ^= h >> 15;
      if (colour) return static_cast<std::int32_t>(h & 0xFFFFFF);
      const int level = std::min(255, static_cast<int>(h % static_cast<unsigned>(steps)) * 32);
      return rgb(level, level, level);
    });
    surface.stopRecording();
    if (failAfter) surface.failAfter(*failAfter);
    return surface;
  }
};

struct Profile {
  std::int16_t maxSide;    // grid sizes 1..maxSide, or always maxSide when fixed
  bool fixedSide;
  int addPercent;          // share of addFace among the steps
  int misusePercent;       // share of setter misuse and re-init
};

class CrossCheck {
 public:
  CrossCheck(unsigned seed, Profile profile) : random_(seed), profile_(profile) {
    const std::int16_t side = randomSide();
    apply([&](auto& r) { r.init(side, side); return std::string(); });
  }

  void step() {
    const int roll = uniform(0, 99);
    if (roll < profile_.addPercent) return addFace();
    if (roll < profile_.addPercent + profile_.misusePercent) return misuse();
    if (roll < profile_.addPercent + profile_.misusePercent + 3) return restart();
    switch (uniform(0, 11)) {
      case 0: return keepIdentity(true);
      case 1: return releaseHeld();
      case 2: case 3: return changeKeptGrid();
      case 4: return changeIdentityGrid();
      case 5: return keepIdentity(false);
      default: return identify();
    }
  }

  std::string history;  // the operations so far, for failure messages

 private:
  int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  std::int16_t randomSide() {
    return profile_.fixedSide ? profile_.maxSide : static_cast<std::int16_t>(uniform(1, profile_.maxSide));
  }

  PictureRecipe picture() {
    PictureRecipe recipe;
    const bool matchGrid = uniform(0, 9) < 8;
    recipe.scaleWidth = matchGrid ? std::max<int>(reference_.imageWidth, 1) : uniform(1, 2 * profile_.maxSide);
    recipe.scaleHeight = matchGrid ? std::max<int>(reference_.imageHeight, 1) : uniform(1, 2 * profile_.maxSide);
    // Reuse earlier pictures often, so probes equal to stored faces occur.
    recipe.seed = static_cast<unsigned>(uniform(0, 3 * profile_.maxSide));
    recipe.levels = uniform(2, 9);
    recipe.coloured = uniform(0, 19) == 0;
    if (uniform(0, 29) == 0) recipe.failAfter = static_cast<std::size_t>(uniform(0, 5));
    return recipe;
  }

  // Runs one operation on both recognisers and compares everything visible.
  template <class Operation>
  void apply(Operation operation) {
    const Outcome fast = outcomeOf([&] { return operation(fast_); });
    const Outcome reference = outcomeOf([&] { return operation(reference_); });
    ASSERT_EQ(fast, reference) << history;
    compareState();
  }

  void compareState() {
    ASSERT_EQ(fast_.NoOfFaces(), reference_.NoOfFaces) << history;
    ASSERT_EQ(fast_.imageWidth(), reference_.imageWidth) << history;
    ASSERT_EQ(fast_.imageHeight(), reference_.imageHeight) << history;
    const GridRef fastIdentity = fast_.Identity();
    const GridRef referenceIdentity = reference_.Identity;
    ASSERT_EQ(fastIdentity == nullptr, referenceIdentity == nullptr) << history;
    if (!fastIdentity) return;
    ASSERT_EQ(seenIndex(seenFast_, fastIdentity), seenIndex(seenReference_, referenceIdentity))
        << history;
    const auto& a = fastIdentity->imageGridView();
    const auto& b = referenceIdentity->imageGridView();
    ASSERT_EQ(a.upperX(), b.upperX()) << history;
    ASSERT_EQ(a.upperY(), b.upperY()) << history;
    for (std::size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a.data()[i], b.data()[i]) << history;
  }

  // The order in which distinct Identity objects were first seen. Weak
  // references keep addresses from being reused without holding the grids.
  static std::size_t seenIndex(std::vector<std::weak_ptr<classImageProcessing>>& seen,
                               const GridRef& grid) {
    for (std::size_t i = 0; i < seen.size(); ++i)
      if (!seen[i].owner_before(grid) && !grid.owner_before(seen[i])) return i;
    seen.push_back(grid);
    return seen.size() - 1;
  }

  void addFace() {
    const PictureRecipe recipe = picture();
    const std::string name = std::to_string(added_++);
    history += " add(" + name + ")";
    apply([&](auto& r) {
      FakePictureSurface surface = recipe.make();
      r.addFace(surface, name);
      return std::string();
    });
  }

  void identify() {
    const PictureRecipe recipe = picture();
    history += " identify";
    apply([&](auto& r) {
      FakePictureSurface surface = recipe.make();
      return r.Identify(surface);
    });
    if (fast_.lastScores().empty()) return;
    // What the tools read of an answer: every score, the average, the answer's terms.
    ASSERT_EQ(fast_.lastScores(), reference_.lastScores) << history;
    const auto& scores = reference_.lastScores;
    const int answer = static_cast<int>(std::min_element(scores.begin(), scores.end()) - scores.begin());
    for (std::int16_t x = 0; x < reference_.imageWidth; ++x)
      for (std::int16_t y = 0; y < reference_.imageHeight; ++y) {
        ASSERT_EQ(fast_.averageFaceAt(x, y), reference_.averageAt(x, y)) << history;
        ASSERT_EQ(fast_.scoreTermAt(answer, x, y), reference_.scoreTermAt(answer, x, y)) << history;
      }
  }

  void misuse() {
    switch (uniform(0, 5)) {
      case 0: {
        const std::int16_t width = uniform(0, 3) == 0 ? reference_.imageWidth : randomSide();
        const std::int16_t height = uniform(0, 3) == 0 ? reference_.imageHeight : randomSide();
        history += " init(" + std::to_string(width) + "," + std::to_string(height) + ")";
        return apply([&](auto& r) { r.init(width, height); return std::string(); });
      }
      case 1: {
        const std::int16_t choices[] = {-32768, -1, 0, 1, 1000, 1001, 1500};
        const std::int16_t count = uniform(0, 1) == 0
                                       ? choices[uniform(0, 6)]
                                       : static_cast<std::int16_t>(reference_.NoOfFaces + uniform(-3, 3));
        history += " setNoOfFaces(" + std::to_string(count) + ")";
        return apply([&](auto& r) { setCount(r, count); return std::string(); });
      }
      case 2: {
        const std::int16_t width = static_cast<std::int16_t>(reference_.imageWidth + uniform(-1, 1));
        history += " setImageWidth(" + std::to_string(width) + ")";
        return apply([&](auto& r) { setWidth(r, width); return std::string(); });
      }
      case 3: {
        const std::int16_t height = static_cast<std::int16_t>(reference_.imageHeight + uniform(-1, 1));
        history += " setImageHeight(" + std::to_string(height) + ")";
        return apply([&](auto& r) { setHeight(r, height); return std::string(); });
      }
      case 4:
        history += " setIdentity(nothing)";
        fast_.setIdentity(nullptr);
        reference_.Identity = nullptr;
        return compareState();
      default: {
        const std::int16_t width = static_cast<std::int16_t>(uniform(-1, 0));
        history += " init(" + std::to_string(width) + ",1)";
        return apply([&](auto& r) { r.init(width, 1); return std::string(); });
      }
    }
  }

  // Back to a usable state after misuse: a fresh size, and new faces written
  // over some of the old slots.
  void restart() {
    const std::int16_t side = uniform(0, 1) == 0 ? reference_.imageWidth : randomSide();
    const int kept = uniform(0, 1) == 0 ? 0 : std::clamp<int>(reference_.NoOfFaces, 0, 1000);
    const auto count = static_cast<std::int16_t>(uniform(0, kept));
    history += " restart(" + std::to_string(side) + "," + std::to_string(count) + ")";
    apply([&](auto& r) {
      setCount(r, count);
      r.init(side, side);
      return std::string();
    });
  }

  static void setCount(ClassFaceRecogniser& r, std::int16_t v) { r.setNoOfFaces(v); }
  static void setCount(ReferenceRecogniser& r, std::int16_t v) { r.NoOfFaces = v; }
  static void setWidth(ClassFaceRecogniser& r, std::int16_t v) { r.setImageWidth(v); }
  static void setWidth(ReferenceRecogniser& r, std::int16_t v) { r.imageWidth = v; }
  static void setHeight(ClassFaceRecogniser& r, std::int16_t v) { r.setImageHeight(v); }
  static void setHeight(ReferenceRecogniser& r, std::int16_t v) { r.imageHeight = v; }

  // The matched grid kept outside: shared (held), or watched through a weak
  // reference only, so that it may be changed for as long as the recogniser
  // keeps it, also after Identity moved on.
  void keepIdentity(bool share) {
    if (!fast_.Identity()) return;
    history += share ? " hold" : " watch";
    kept_.emplace_back(fast_.Identity(), reference_.Identity);
    if (share) held_.emplace_back(fast_.Identity(), reference_.Identity);
  }

  void releaseHeld() {
    if (held_.empty()) return;
    history += " release";
    held_.erase(held_.begin() + uniform(0, static_cast<int>(held_.size()) - 1));
  }

  void changeKeptGrid() {
    if (kept_.empty()) return;
    const auto& [fast, reference] = kept_[static_cast<std::size_t>(uniform(0, static_cast<int>(kept_.size()) - 1))];
    const GridRef fastGrid = fast.lock();
    const GridRef referenceGrid = reference.lock();
    if (!fastGrid || !referenceGrid) return;
    change(fastGrid, referenceGrid);
  }

  void changeIdentityGrid() {
    if (!fast_.Identity()) return;
    change(fast_.Identity(), reference_.Identity);
  }

  // The same change to a pair of corresponding grids held outside.
  void change(const GridRef& fast, const GridRef& reference) {
    const auto& cells = reference->imageGridView();
    const int kind = uniform(0, 19);
    if (kind == 0) {
      // Cells copied in from a grid sampled the way a stored face is.
      history += " copyIn";
      classImageProcessing source;
      try {
        source.init(reference_.imageWidth, reference_.imageHeight);
        FakePictureSurface surface = picture().make();
        source.update(surface);
      } catch (const Error&) {
        // whatever the source holds by now is copied
      }
      *fast = source;
      *reference = source;
    } else if (kind == 1) {
      history += " moveOut";
      classImageProcessing takenFast = std::move(*fast);
      classImageProcessing takenReference = std::move(*reference);
    } else if (kind == 2 || cells.empty()) {
      const std::int16_t width = randomSide();
      const std::int16_t height = randomSide();
      history += " regrid(" + std::to_string(width) + "," + std::to_string(height) + ")";
      fast->init(width, height);
      reference->init(width, height);
    } else {
      const auto x = static_cast<std::int16_t>(uniform(0, cells.upperX()));
      const auto y = static_cast<std::int16_t>(uniform(0, cells.upperY()));
      const auto value = static_cast<std::uint8_t>(uniform(0, 255));
      history += " poke";
      fast->setPoint(x, y, value);
      reference->setPoint(x, y, value);
    }
    compareState();
  }

  std::mt19937 random_;
  Profile profile_;
  ClassFaceRecogniser fast_;
  ReferenceRecogniser reference_;
  std::vector<std::weak_ptr<classImageProcessing>> seenFast_;
  std::vector<std::weak_ptr<classImageProcessing>> seenReference_;
  std::vector<std::pair<GridRef, GridRef>> held_;
  std::vector<std::pair<std::weak_ptr<classImageProcessing>, std::weak_ptr<classImageProcessing>>> kept_;
  int added_ = 0;
};

void runCrossCheck(unsigned seed, Profile profile, int steps) {
  CrossCheck check(seed, profile);
  for (int i = 0; i < steps && !::testing::Test::HasFatalFailure(); ++i) check.step();
}

TEST(RecogniserCrossCheck, SmallGridsWithFrequentMisuse) {
  for (unsigned seed = 1; seed <= 40 && !::testing::Test::HasFatalFailure(); ++seed)
    runCrossCheck(seed, {4, false, 45, 8}, 250);
}

TEST(RecogniserCrossCheck, LongDatabasesWithRareMisuse) {
  for (unsigned seed = 100; seed <= 105 && !::testing::Test::HasFatalFailure(); ++seed)
    runCrossCheck(seed, {6, false, 70, 1}, 500);
}

TEST(RecogniserCrossCheck, ApplicationSizeOnlyNormalUse) {
  runCrossCheck(7, {25, true, 80, 0}, 400);
}

}  // namespace
}  // namespace tavro
