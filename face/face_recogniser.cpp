// The face database: storing faces, renewing the average and the difference
// grids, and identifying a probe. Every observable result is that of the
// cell-by-cell steps in literal_face_steps.h; the quick paths here are taken
// only where they are certain to leave the same grids and raise the same
// errors:
// - the average is renewed from running per-cell sums while the stored faces
//   are the ones summed, of one size, unchanged since;
// - difference grids are written when first needed, except for a face grid
//   ever handed out as Identity, whose difference is written at once;
// - a face is scored by a byte SAD over whole grid storage when its
//   difference grid and the probe's share one layout with clean spare cells.

#include "face/face_recogniser.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "face/difference_score.h"
#include "face/exposed_faces.h"
#include "face/face_record.h"
#include "face/literal_face_steps.h"
#include "face/pending_differences.h"
#include "face/running_face_sum.h"
#include "imaging/checked_arithmetic.h"

namespace tavro {

static_assert(ClassFaceRecogniser::kCapacity == kFaceSlots);

namespace {

// What the quick paths know about a slot's difference grid without reaching it.
struct DifferenceGridFacts {
  const std::uint8_t* cells = nullptr;  // its storage, once its init succeeded
  int upperX = -1;
  int upperY = -1;
  bool spareClean = true;  // spare column and row never written, so still 0
};

// The probe difference's storage, when every quick score may use it.
struct ProbeCells {
  const std::uint8_t* cells = nullptr;
  std::size_t size = 0;
};

bool hasBounds(const Grid2D<std::uint8_t>& grid, int upperX, int upperY) {
  return !grid.empty() && grid.upperX() == upperX && grid.upperY() == upperY;
}

}  // namespace

struct ClassFaceRecogniser::Database {
  FaceRecord record;
  RunningFaceSum faceSum;
  PendingDifferences pending;
  ExposedFaces exposed;
  FixedArray<DifferenceGridFacts, kFaceSlots> differenceFacts;
  std::vector<std::int32_t> lastScores;

  // New grid objects in the slot and for the probe; the old ones are released.
  void replaceSlotObjects(int slot) {
    record.faceGrids.at(slot) = std::make_shared<classImageProcessing>();
    record.differenceGrids.at(slot) = std::make_shared<classImageProcessing>();
    record.probeGrid = std::make_shared<classImageProcessing>();
    record.probeDifference = std::make_shared<classImageProcessing>();
    differenceFacts.at(slot) = {};
    if (slot < faceSum.count()) faceSum.invalidate();
    pending.forget(slot);
    exposed.forget(slot);
  }

  // Called once the slot's difference grid has been sized; it never is again.
  void noteDifferenceGrid(int slot) {
    const Grid2D<std::uint8_t>& grid = gridOf(record.differenceGrids.at(slot)).imageGridView();
    differenceFacts.at(slot) = {grid.data(), grid.upperX(), grid.upperY(), true};
  }

  bool canRenewQuickly(std::int16_t noOfFaces, std::int16_t width, std::int16_t height) const {
    const int slot = noOfFaces - 1;
    if (width < 1 || height < 1 || !faceSum.extendsTo(width, height, slot)) return false;
    const Grid2D<float>& average = record.averageFace;
    if (average.empty() || average.upperX() != width || average.upperY() != height) return false;
    const DifferenceGridFacts& facts = differenceFacts.at(slot);
    if (!facts.cells || facts.upperX != width || facts.upperY != height) return false;
    const auto& face = record.faceGrids.at(slot);
    if (!face || !hasBounds(face->imageGridView(), width, height)) return false;
    // Only a grid handed out as Identity can have changed since it was summed;
    // once handed out it may be reached at any later time, even through a
    // plain reference, so it is watched until its slot gets a new grid.
    for (const int s : exposed.slots()) {
      if (s >= slot) continue;
      const auto& summed = record.faceGrids.at(s);
      if (!summed || summed->contentVersion() != faceSum.versionOf(s)) return false;
    }
    return true;
  }

  void renewQuickly(std::int16_t noOfFaces, std::int16_t width, std::int16_t height) {
    faceSum.add(*record.faceGrids.at(noOfFaces - 1));
    faceSum.writeAverage(record.averageFace);
    startOwing(noOfFaces, width, height);
    // A face grid handed out may change before its difference is needed.
    for (const int s : exposed.slots())
      if (s < noOfFaces) settle(s);
  }

  void renewLiterally(std::int16_t noOfFaces, std::int16_t width, std::int16_t height) {
    faceSum.invalidate();
    settleAll();
    computeAverageFaceLiterally(record, noOfFaces, width, height);
    noteDifferencePass(noOfFaces, width, height);
    computeDifferenceGridsLiterally(record, noOfFaces, width, height);
    rebuildFaceSum(noOfFaces, width, height);
  }

  // Slots 0..noOfFaces-1 now owe their difference against the new average;
  // anything owed before that the new renewal would not overwrite is written first.
  void startOwing(std::int16_t noOfFaces, std::int16_t width, std::int16_t height) {
    if (pending.count() > noOfFaces || pending.width() != width || pending.height() != height)
      settleAll();
    pending.start(width, height, record.averageFace, noOfFaces);
  }

  void settle(int slot) {
    if (!pending.owes(slot)) return;
    pending.settle(slot, gridOf(record.faceGrids.at(slot)), gridOf(record.differenceGrids.at(slot)));
  }

  void settleAll() {
    if (pending.empty()) return;
    for (int s = 0; s < pending.count(); ++s) settle(s);
  }

  // The running sums again, if every stored face and difference grid has the
  // grid size; otherwise the next renewal is literal too.
  void rebuildFaceSum(std::int16_t noOfFaces, std::int16_t width, std::int16_t height) {
    if (width < 1 || height < 1 || noOfFaces > kFaceSlots) return;
    for (int f = 0; f < noOfFaces; ++f) {
      const auto& face = record.faceGrids.at(f);
      const DifferenceGridFacts& facts = differenceFacts.at(f);
      if (!face || !hasBounds(face->imageGridView(), width, height) || !facts.cells ||
          facts.upperX != width || facts.upperY != height)
        return;
    }
    faceSum.reset(width, height);
    for (int f = 0; f < noOfFaces; ++f) faceSum.add(*record.faceGrids.at(f));
  }

  // A pass over width x height reaches the spare column or row of a grid
  // whose bounds are smaller: such grids lose the quick score.
  void noteDifferencePass(std::int16_t noOfFaces, std::int16_t width, std::int16_t height) {
    const int faces = std::min<int>(noOfFaces, kFaceSlots);
    for (int f = 0; f < faces; ++f) {
      DifferenceGridFacts& facts = differenceFacts.at(f);
      if (facts.cells && (width > facts.upperX || height > facts.upperY)) facts.spareClean = false;
    }
  }

  // The probe grid is private and sampling never writes its spare cells, so
  // the spare cells of its difference are max(0, 0 - average) = 0 always.
  ProbeCells probeCells(std::int16_t width, std::int16_t height) const {
    if (width < 1 || height < 1 || !record.probeDifference) return {};
    const Grid2D<std::uint8_t>& grid = record.probeDifference->imageGridView();
    if (!hasBounds(grid, width, height)) return {};
    return {grid.data(), grid.size()};
  }

  std::int32_t score(int face, const ProbeCells& probe, std::int16_t width,
                     std::int16_t height) const {
    if (probe.cells && face >= 0 && face < kFaceSlots) {
      const DifferenceGridFacts& facts = differenceFacts.at(face);
      if (facts.cells && facts.upperX == width && facts.upperY == height && facts.spareClean) {
        // Every term is at least 0: the running sum overflows exactly when the total does.
        const std::uint64_t total = sumOfAbsoluteDifferences(facts.cells, probe.cells, probe.size);
        if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
          throw Error(ErrorKind::Overflow);
        return static_cast<std::int32_t>(total);
      }
    }
    return scoreFaceLiterally(record, face, width, height);
  }
};

ClassFaceRecogniser::ClassFaceRecogniser() : db_(std::make_unique<Database>()) {}
ClassFaceRecogniser::~ClassFaceRecogniser() = default;

std::int16_t ClassFaceRecogniser::imageWidth() const { return imageWidth_; }
void ClassFaceRecogniser::setImageWidth(std::int16_t v) { imageWidth_ = v; }
std::int16_t ClassFaceRecogniser::imageHeight() const { return imageHeight_; }
void ClassFaceRecogniser::setImageHeight(std::int16_t v) { imageHeight_ = v; }
std::int16_t ClassFaceRecogniser::NoOfFaces() const { return NoOfFaces_; }
void ClassFaceRecogniser::setNoOfFaces(std::int16_t v) { NoOfFaces_ = v; }
std::shared_ptr<classImageProcessing> ClassFaceRecogniser::Identity() const { return Identity_; }
void ClassFaceRecogniser::setIdentity(std::shared_ptr<classImageProcessing> grid) {
  Identity_ = std::move(grid);
}

void ClassFaceRecogniser::init(std::int16_t image_Width, std::int16_t image_Height) {
  imageWidth_ = image_Width;
  imageHeight_ = image_Height;
  db_->record.averageFace = Grid2D<float>(imageWidth_, imageHeight_, 0.0f);
}

void ClassFaceRecogniser::addFace(PictureSurface& facePicture, const std::string& faceName) {
  const std::int16_t n = NoOfFaces_;
  if (n < 0 || n >= kCapacity) throw Error(ErrorKind::SubscriptOutOfRange);
  Database& db = *db_;
  FaceRecord& record = db.record;
  db.replaceSlotObjects(n);
  record.faceGrids.at(n)->init(imageWidth_, imageHeight_);
  record.differenceGrids.at(n)->init(imageWidth_, imageHeight_);
  db.noteDifferenceGrid(n);
  record.probeGrid->init(imageWidth_, imageHeight_);
  record.probeDifference->init(imageWidth_, imageHeight_);
  record.faceGrids.at(n)->update(facePicture);
  record.faceNames.at(n) = faceName;
  NoOfFaces_ = static_cast<std::int16_t>(n + 1);
  if (db.canRenewQuickly(NoOfFaces_, imageWidth_, imageHeight_))
    db.renewQuickly(NoOfFaces_, imageWidth_, imageHeight_);
  else
    db.renewLiterally(NoOfFaces_, imageWidth_, imageHeight_);
}

std::string ClassFaceRecogniser::Identify(PictureSurface& facePicture) {
  Database& db = *db_;
  FaceRecord& record = db.record;
  std::vector<std::int32_t>& scores = db.lastScores;
  scores.clear();  // a failed Identify leaves no scores to misread
  std::string name;
  gridOf(record.probeGrid).update(facePicture);
  computeProbeDifference(record, imageWidth_, imageHeight_);
  std::int32_t bestScore = kNoMatchScore;
  db.settleAll();
  const ProbeCells probe = db.probeCells(imageWidth_, imageHeight_);
  const int lastFace = checked::lastIndex(NoOfFaces_);
  scores.reserve(static_cast<std::size_t>(std::max(lastFace + 1, 0)));
  try {
    for (int f = 0; f <= lastFace; ++f) {
      const std::int32_t score = db.score(f, probe, imageWidth_, imageHeight_);
      scores.push_back(score);
      if (score < bestScore) {
        bestScore = score;
        name = record.faceNames.at(f);
        Identity_ = record.faceGrids.at(f);
        if (Identity_) db.exposed.expose(f);
      }
    }
  } catch (...) {
    scores.clear();
    throw;
  }
  return name;
}

const std::vector<std::int32_t>& ClassFaceRecogniser::lastScores() const noexcept { return db_->lastScores; }

const std::string& ClassFaceRecogniser::faceNameAt(int slot) const {
  if (slot < 0 || slot >= NoOfFaces_) throw Error(ErrorKind::SubscriptOutOfRange);
  return db_->record.faceNames.at(slot);
}

float ClassFaceRecogniser::averageFaceAt(std::int16_t x, std::int16_t y) const {
  return db_->record.averageFace.at(x, y);
}

std::uint8_t ClassFaceRecogniser::probeDifferenceAt(std::int16_t x, std::int16_t y) const {
  return gridOf(db_->record.probeDifference).getPoint(x, y);
}

std::uint8_t ClassFaceRecogniser::differenceAt(int slot, std::int16_t x, std::int16_t y) {
  if (slot < 0 || slot >= NoOfFaces_) throw Error(ErrorKind::SubscriptOutOfRange);
  db_->settle(slot);  // a difference still owed is written as the renewal would have
  return gridOf(db_->record.differenceGrids.at(slot)).getPoint(x, y);
}

}  // namespace tavro
