#include "capture/source_choice.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "capture/camera_frame_source.h"

namespace tavro {

namespace {

constexpr std::string_view kDevicePrefix = "/dev/video";

bool isNumber(std::string_view text) {
  return !text.empty() && text.size() <= 4 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

CameraSetting parseCameraSetting(const char* value) {
  const std::string_view text = value ? value : "";
  if (text.empty()) return {};
  if (text == "test") return {CameraSetting::Kind::TestPicture, {}};
  if (isNumber(text)) return {CameraSetting::Kind::Device, std::string(kDevicePrefix) + std::string(text)};
  if (text.starts_with(kDevicePrefix) && isNumber(text.substr(kDevicePrefix.size())))
    return {CameraSetting::Kind::Device, std::string(text)};
  return {CameraSetting::Kind::Invalid, std::string(text)};
}

SourceChoice chooseSource(const CameraSetting& setting, const std::vector<std::string>& devices) {
  switch (setting.kind) {
    case CameraSetting::Kind::TestPicture:
      return {nullptr, "Test picture, as asked for", true};
    case CameraSetting::Kind::Invalid:
      return {nullptr, "TAVRO_CAMERA=" + setting.devicePath + " not understood: test picture"};
    case CameraSetting::Kind::Device:
      return {std::make_unique<CameraFrameSource>(setting.devicePath), {}};
    case CameraSetting::Kind::Automatic:
      break;
  }
  if (devices.empty()) return {nullptr, "No camera: test picture"};
  return {std::make_unique<CameraFrameSource>(devices.front()), {}};
}

CameraSetting cameraSettingFromEnvironment() { return parseCameraSetting(std::getenv("TAVRO_CAMERA")); }

std::vector<std::string> cameraDevices() {
  std::vector<std::pair<int, std::string>> found;
  std::error_code error;
  for (std::filesystem::directory_iterator it("/dev", error), end; !error && it != end; it.increment(error)) {
    const std::string path = it->path().string();
    const std::string_view number = std::string_view(path).substr(std::min(path.size(), kDevicePrefix.size()));
    if (path.starts_with(kDevicePrefix) && isNumber(number)) found.emplace_back(std::stoi(std::string(number)), path);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  for (auto& [number, path] : found) paths.push_back(std::move(path));
  return paths;
}

}  // namespace tavro
