// Thumbnails of the sample JPEGs (ImageProc.SaveAsThumbnail), checked for
// their size as read back, then fetched and deleted.
#include <cstdio>

#include "catalog.h"
#include "scenarios.h"

namespace soak {

namespace {

bool IsWholeJpeg(const std::string& data) {
  return data.size() >= 4 && data.compare(0, 2, "\xFF\xD8") == 0 &&
         data.compare(data.size() - 2, 2, "\xFF\xD9") == 0;
}

}  // namespace

void RunThumbnail(Worker& worker) {
  const std::string image(kImages[worker.rng.Between(0, kImages.size() - 1)]);
  const auto width = worker.rng.Between(8, 200), height = worker.rng.Between(8, 200);
  const std::string name = "t" + worker.Tag();
  Request request;
  request.target = "/thumb.asp?src=" + image + "&w=" + std::to_string(width) +
                   "&h=" + std::to_string(height) + "&t=" + name;
  const Response made = Call(worker, Scenario::kThumbnail, request);
  if (!made.ok) return;
  const std::string wanted =
      "THUMB " + std::to_string(width) + " " + std::to_string(height) + " JPEG";
  if (made.status != 200 || made.body != wanted) {
    worker.stats.Fail(Scenario::kThumbnail,
                      request.target + ": '" + made.body + "' (wanted '" + wanted + "')");
    return;
  }
  request.target = "/get.asp?del=1&p=thumbs/" + name + ".jpg";
  const Response fetched = Call(worker, Scenario::kThumbnail, request);
  if (!fetched.ok) return;
  if (fetched.status != 200 || !IsWholeJpeg(fetched.body))
    worker.stats.Fail(Scenario::kThumbnail,
                      request.target + ": status " + std::to_string(fetched.status) + ", " +
                          std::to_string(fetched.body.size()) + " bytes, not a whole JPEG");
}

}  // namespace soak
