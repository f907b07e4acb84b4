#pragma once
// The face recogniser's algorithm written out as plainly as it reads, with no
// shortcuts: the reference the real recogniser is checked against. It follows
// the recogniser's rules for misuse: a renewal is all or nothing and runs
// again before every Identify, from the stored faces and the current size
// (with no faces the average is 0), and Identity is a copy of the matched face.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "imaging/bounded_arrays.h"
#include "imaging/checked_arithmetic.h"
#include "imaging/image_processing.h"

namespace tavro {

class ReferenceRecogniser {
 public:
  using GridRef = std::shared_ptr<classImageProcessing>;

  std::int16_t imageWidth = 0;
  std::int16_t imageHeight = 0;
  std::int16_t NoOfFaces = 0;
  GridRef Identity;
  std::vector<std::int32_t> lastScores;  // of the last Identify that succeeded

  void init(std::int16_t width, std::int16_t height) {
    imageWidth = width;
    imageHeight = height;
    averageFace = Grid2D<float>(imageWidth, imageHeight, 0.0f);
  }

  void addFace(PictureSurface& picture, const std::string& name) {
    const std::int16_t n = NoOfFaces;
    slot(faceGrids, n) = std::make_shared<classImageProcessing>();
    slot(differenceGrids, n) = std::make_shared<classImageProcessing>();
    probeGrid = std::make_shared<classImageProcessing>();
    probeDifference = std::make_shared<classImageProcessing>();
    slot(faceGrids, n)->init(imageWidth, imageHeight);
    slot(differenceGrids, n)->init(imageWidth, imageHeight);
    probeGrid->init(imageWidth, imageHeight);
    probeDifference->init(imageWidth, imageHeight);
    slot(faceGrids, n)->update(picture);
    slot(faceNames, n) = name;
    NoOfFaces = checked::add16(n, 1);
    renew();
  }

  std::string Identify(PictureSurface& picture) {
    std::string name;
    std::vector<std::int32_t> scores;
    object(probeGrid).update(picture);
    renew();
    for (int x = 0; x <= checked::sub16(imageWidth, 1); ++x)
      for (int y = 0; y <= checked::sub16(imageHeight, 1); ++y) {
        const std::uint8_t v = object(probeGrid).getPoint(p(x), p(y));
        const std::uint8_t d = difference(v, averageFace.at(x, y));
        object(probeDifference).setPoint(p(x), p(y), d);
      }
    std::int32_t bestScore = 99999999;
    for (int f = 0; f <= checked::sub16(NoOfFaces, 1); ++f) {
      std::int32_t score = 0;
      for (int x = 0; x <= checked::sub16(imageWidth, 1); ++x)
        for (int y = 0; y <= checked::sub16(imageHeight, 1); ++y) {
          const int stored = object(slot(differenceGrids, f)).getPoint(p(x), p(y));
          const int probe = object(probeDifference).getPoint(p(x), p(y));
          score = checked::add32(score, std::abs(stored - probe));
        }
      scores.push_back(score);
      if (score < bestScore) {
        bestScore = score;
        name = slot(faceNames, f);
        const GridRef& face = slot(faceGrids, f);
        Identity = face ? std::make_shared<classImageProcessing>(*face) : nullptr;
      }
    }
    lastScores = scores;
    return name;
  }

  float averageAt(int x, int y) const { return averageFace.at(x, y); }
  int scoreTermAt(int f, std::int16_t x, std::int16_t y) const {
    return std::abs(differenceGrids.at(static_cast<std::size_t>(f))->getPoint(x, y) - probeDifference->getPoint(x, y));
  }

 private:
  template <class T>
  static T& slot(std::array<T, 1001>& table, int index) {
    if (index < 0 || index > 1000) throw Error(ErrorKind::SubscriptOutOfRange);
    return table[static_cast<std::size_t>(index)];
  }
  static classImageProcessing& object(const GridRef& grid) {
    if (!grid) throw Error(ErrorKind::ObjectNotSet);
    return *grid;
  }
  static std::int16_t p(int v) { return static_cast<std::int16_t>(v); }
  static std::uint8_t difference(std::uint8_t value, float average) {
    const std::int16_t d = checked::roundToInt16(static_cast<float>(value) - average);
    return checked::narrow<std::uint8_t>(d < 0 ? 0 : d);
  }

  // The average into a copy, kept only once whole; the differences then cannot fail.
  void renew() {
    Grid2D<float> average = averageFace;
    for (int f = 0; f <= checked::sub16(NoOfFaces, 1); ++f)
      for (int x = 0; x <= checked::sub16(imageWidth, 1); ++x)
        for (int y = 0; y <= checked::sub16(imageHeight, 1); ++y) {
          const float v = object(slot(faceGrids, f)).getPoint(p(x), p(y));
          if (f == 0)
            average.at(x, y) = v;
          else
            average.at(x, y) = average.at(x, y) + v;
        }
    for (int x = 0; x <= checked::sub16(imageWidth, 1); ++x)
      for (int y = 0; y <= checked::sub16(imageHeight, 1); ++y)
        average.at(x, y) = NoOfFaces > 0 ? std::floor(average.at(x, y) / static_cast<float>(NoOfFaces)) : 0.0f;
    averageFace = std::move(average);
    computeDifferenceGrids();
  }

  void computeDifferenceGrids() {
    for (int f = 0; f <= checked::sub16(NoOfFaces, 1); ++f)
      for (int x = 0; x <= checked::sub16(imageWidth, 1); ++x)
        for (int y = 0; y <= checked::sub16(imageHeight, 1); ++y) {
          const std::uint8_t v = object(slot(faceGrids, f)).getPoint(p(x), p(y));
          const std::uint8_t d = difference(v, averageFace.at(x, y));
          object(slot(differenceGrids, f)).setPoint(p(x), p(y), d);
        }
  }

  std::array<GridRef, 1001> faceGrids;
  std::array<GridRef, 1001> differenceGrids;
  std::array<std::string, 1001> faceNames;
  Grid2D<float> averageFace;
  GridRef probeGrid;
  GridRef probeDifference;
};

}  // namespace tavro
