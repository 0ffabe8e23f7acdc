// Multi-file uploads with a progress id, polled from a second connection
// while the upload runs; every saved file is fetched back and compared.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>
#include <vector>

#include "multipart.h"
#include "scenarios.h"

namespace soak {

namespace {

struct SentFile {
  std::string field;
  std::string name;
  std::uint64_t seed;
  std::uint64_t size;
};

// Polls the progress page for id until stop is set. Every answer must be a
// sane record: transferred within total, per cent within 0..100.
void PollProgress(const Endpoint& endpoint, Stats& stats, std::int32_t id,
                  const std::atomic<bool>& stop) {
  HttpConnection connection(endpoint.host, endpoint.port);
  Request request;
  request.target = "/progress.asp?id=" + std::to_string(id);
  while (!stop.load()) {
    const Response response = connection.Send(request);
    stats.Request(Scenario::kProgress, 0, response.body.size());
    if (!response.ok)
      return stats.Fail(Scenario::kProgress, request.target + ": " + response.error);
    long long total = -1, transferred = -1, percent = -1, working = -1;
    const int fields = std::sscanf(response.body.c_str(), "%lld %lld %lld %lld", &total,
                                   &transferred, &percent, &working);
    if (response.status != 200 || fields != 4 || transferred < 0 || transferred > total ||
        percent < 0 || percent > 100)
      return stats.Fail(Scenario::kProgress, request.target + ": status " +
                                                 std::to_string(response.status) + " '" +
                                                 response.body + "'");
    if (transferred > 0 && transferred < total) stats.SawProgressMidway();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::int32_t NewProgressId(Worker& worker) {
  Request request;
  request.target = "/newid.asp";
  const Response response = Call(worker, Scenario::kUpload, request);
  if (!response.ok) return -1;
  try {
    if (response.status == 200) return std::stoi(response.body);
  } catch (const std::exception&) {
  }
  worker.stats.Fail(Scenario::kUpload, "newid.asp: status " + std::to_string(response.status) +
                                           " '" + response.body + "'");
  return -1;
}

// The lines the upload page must answer with, in the order of the form.
std::string ExpectedListing(const std::vector<SentFile>& files, const std::vector<Part>& fields) {
  std::ostringstream out;
  for (const auto& file : files)
    out << "FILE " << file.field << "|" << file.size << "|" << file.name << "\n";
  for (const auto& field : fields) out << "FIELD " << field.name << "=" << field.data << "\n";
  out << "DONE\n";
  return out.str();
}

bool PostUpload(Worker& worker, std::int32_t id, const std::vector<SentFile>& files,
                const std::vector<Part>& fields) {
  std::vector<Part> parts;
  for (const auto& file : files)
    parts.push_back({file.field, file.name, ContentBytes(file.seed, 0, file.size)});
  parts.insert(parts.end(), fields.begin(), fields.end());
  const MultipartBody body = BuildMultipart(parts, worker.rng.Next());
  Request request;
  request.method = "POST";
  request.target = "/upload.asp?w=w" + std::to_string(worker.index) + "&pid=" + std::to_string(id);
  request.headers["Content-Type"] = body.contentType;
  request.body = body.body;

  std::atomic<bool> stop{false};
  std::thread poller(PollProgress, worker.endpoint, std::ref(worker.stats), id, std::cref(stop));
  const Response response = Call(worker, Scenario::kUpload, request);
  stop = true;
  poller.join();
  if (!response.ok) return false;
  // The page lists fields and files by name; the multi-collection orders names,
  // and every name here is unique and sorts files ("f...") before fields ("t...").
  const std::string wanted = ExpectedListing(files, fields);
  if (response.status == 200 && response.body == wanted) return true;
  worker.stats.Fail(Scenario::kUpload,
                    request.target + ": status " + std::to_string(response.status) + " got '" +
                        response.body.substr(0, 300) + "' wanted '" + wanted + "'");
  return false;
}

}  // namespace

void RunUpload(Worker& worker) {
  const std::int32_t id = NewProgressId(worker);
  if (id < 0) return;
  worker.lastProgressId = id;
  const std::string tag = worker.Tag();
  std::vector<SentFile> files;
  const auto count = worker.rng.Between(2, 3);
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::string name = "u" + tag + "_" + std::to_string(i) + ".bin";
    files.push_back({"f" + std::to_string(i), name, SeedOf(name), RandomUploadSize(worker.rng)});
  }
  const std::vector<Part> fields{{"title", "", "soak " + tag},
                                 {"tnote", "", "日本語 한국어 Ελληνικά " + tag}};
  if (!PostUpload(worker, id, files, fields)) return;
  const std::string folder = "up/w" + std::to_string(worker.index) + "/";
  for (const auto& file : files)
    FetchAndCheck(worker, Scenario::kUpload, "/get.asp?del=1&p=" + folder + file.name, file.seed,
                  file.size, -1);
}

}  // namespace soak
