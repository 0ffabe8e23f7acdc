// Uploads stored straight into a SQLite BLOB (FormElement.SaveAsBlob) and
// read back with FileDownload.DownloadBlob, then deleted.
#include "multipart.h"
#include "scenarios.h"

namespace soak {

void RunBlob(Worker& worker) {
  const std::string name = "b" + worker.Tag();
  const std::uint64_t seed = SeedOf(name);
  const std::uint64_t size = RandomUploadSize(worker.rng);
  const MultipartBody body =
      BuildMultipart({{"f", name + ".bin", ContentBytes(seed, 0, size)}}, worker.rng.Next());
  Request request;
  request.method = "POST";
  request.target = "/blobput.asp?n=" + name;
  request.headers["Content-Type"] = body.contentType;
  request.body = body.body;
  const Response response = Call(worker, Scenario::kBlob, request);
  if (!response.ok) return;
  const std::string wanted = "STORED " + std::to_string(size);
  if (response.status != 200 || response.body != wanted) {
    worker.stats.Fail(Scenario::kBlob, request.target + ": status " +
                                           std::to_string(response.status) + " '" + response.body +
                                           "' (wanted '" + wanted + "')");
    return;
  }
  FetchAndCheck(worker, Scenario::kBlob, "/blobget.asp?del=1&n=" + name, seed, size, -1);
}

}  // namespace soak
