#include "host/http/host_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace vant::host::http {
namespace {

using Args = std::vector<std::string_view>;

TEST(HostOptions, DefaultsWithOnlySite) {
  const auto r = ParseHostOptions(Args{"--site", "/srv/site"});
  ASSERT_TRUE(r.ok()) << r.error;
  const HostOptions& o = r.options;
  EXPECT_EQ(o.site, "/srv/site");
  EXPECT_EQ(o.listenAddress, "127.0.0.1");
  EXPECT_EQ(o.port, 8080);
  EXPECT_EQ(o.threads, 512u);
  EXPECT_EQ(UploadWorkers(o), 384u);
  EXPECT_EQ(o.maxConnections, 10'000u);
  EXPECT_EQ(o.queueTimeout.count(), 10'000);
  EXPECT_EQ(o.maxBody, 2ull << 30);
  EXPECT_EQ(o.ansiCodePage, 65001u);
  EXPECT_EQ(o.idleTimeout.count(), 60'000);
  EXPECT_EQ(o.requestTimeout.count(), 3'900'000);
  ASSERT_EQ(o.drives.size(), 1u);
  EXPECT_EQ(o.drives[0].letter, 'C');
  EXPECT_EQ(o.drives[0].hostPath, "/");
}

struct ValueRow {
  Args args;
  std::function<bool(const HostOptions&)> check;
  const char* what;
};

TEST(HostOptions, ValuesAreParsed) {
  const std::vector<ValueRow> rows = {
      {{"--listen", "0.0.0.0:9000"},
       [](auto& o) { return o.listenAddress == "0.0.0.0" && o.port == 9000; },
       "addr:port"},
      {{"--listen=[::1]:81"},
       [](auto& o) { return o.listenAddress == "::1" && o.port == 81; },
       "v6"},
      {{"--listen", "8081"},
       [](auto& o) { return o.listenAddress == "127.0.0.1" && o.port == 8081; },
       "port"},
      {{"--listen", "127.0.0.1:0"}, [](auto& o) { return o.port == 0; }, "ephemeral port"},
      {{"--threads", "1"},
       [](auto& o) { return o.threads == 1 && UploadWorkers(o) == 1; },
       "threads"},
      {{"--threads", "8", "--max-upload-workers", "20"},
       [](auto& o) { return UploadWorkers(o) == 8; },
       "upload share capped by threads"},
      {{"--max-upload-workers=3"}, [](auto& o) { return UploadWorkers(o) == 3; }, "upload share"},
      {{"--max-connections", "5", "--max-queued", "7", "--queue-timeout", "0.5"},
       [](auto& o) {
         return o.maxConnections == 5 && o.maxQueued == 7 && o.queueTimeout.count() == 500;
       },
       "connection limits"},
      {{"--max-body", "1048576"}, [](auto& o) { return o.maxBody == 1048576; }, "bytes"},
      {{"--max-body", "512K"}, [](auto& o) { return o.maxBody == 512 * 1024; }, "K"},
      {{"--max-body=3G"}, [](auto& o) { return o.maxBody == 3ull << 30; }, "G"},
      {{"--ansi-codepage", "932"}, [](auto& o) { return o.ansiCodePage == 932; }, "codepage"},
      {{"--max-image-pixels", "5000"}, [](auto& o) { return o.maxImagePixels == 5000u; }, "pixels"},
      {{}, [](auto& o) { return !o.maxImagePixels.has_value(); }, "pixels unset by default"},
      {{"--max-form-parts", "1"}, [](auto& o) { return o.maxFormParts == 1u; }, "one part"},
      {{"--max-form-parts=250"}, [](auto& o) { return o.maxFormParts == 250u; }, "parts with ="},
      {{"--max-form-parts", "2147483647"},
       [](auto& o) { return o.maxFormParts == 2147483647u; },
       "largest part count"},
      {{}, [](auto& o) { return !o.maxFormParts.has_value(); }, "parts unset by default"},
      {{"--max-field-size", "4M"}, [](auto& o) { return o.maxFieldSize == 4u << 20; }, "field M"},
      {{"--max-field-size=100"}, [](auto& o) { return o.maxFieldSize == 100u; }, "field bytes"},
      {{}, [](auto& o) { return o.clamd.empty() && !o.refuseInfected; }, "no scanning by default"},
      {{"--clamd", "unix:/run/c.sock", "--refuse-infected"},
       [](auto& o) {
         return o.clamd == "unix:/run/c.sock" && o.refuseInfected && o.clamdInfectedOnError;
       },
       "clamd socket, refuse flag"},
      {{"--clamd=tcp:[::1]:3310", "--clamd-on-error", "clean", "--clamd-timeout", "2.5",
        "--clamd-max-stream", "100M"},
       [](auto& o) {
         return o.clamd == "tcp:[::1]:3310" && !o.clamdInfectedOnError &&
                o.clamdTimeout.count() == 2500 && o.clamdMaxStream == 100u << 20;
       },
       "clamd tcp and limits"},
      {{}, [](auto& o) { return !o.maxFieldSize.has_value(); }, "field size unset by default"},
      {{"--max-input-vars", "50"}, [](auto& o) { return o.maxInputVars == 50u; }, "input vars"},
      {{}, [](auto& o) { return o.maxInputVars == 10000u; }, "input vars default"},
      {{"--idle-timeout", "0.25"},
       [](auto& o) { return o.idleTimeout.count() == 250; },
       "fraction"},
      {{"--request-timeout", "10"},
       [](auto& o) { return o.requestTimeout.count() == 10'000; },
       "secs"},
      {{"--registry", "/v/r.reg", "--data", "/v"},
       [](auto& o) { return o.registry == "/v/r.reg" && o.dataDir == "/v"; },
       "paths"},
      {{"--log", "/tmp/x.log"}, [](auto& o) { return o.logFile == "/tmp/x.log"; }, "log"},
      {{"--upload-folder", "/uploads/", "--upload-folder=/gallery/photos"},
       [](auto& o) {
         return o.uploadFolders == std::vector<std::string>{"/uploads", "/gallery/photos"};
       },
       "upload folders, trailing slash dropped"},
      {{}, [](auto& o) { return o.detailedErrors == DetailedErrors::kLocal; }, "details for local"},
      {{"--detailed-errors", "off"},
       [](auto& o) { return o.detailedErrors == DetailedErrors::kOff; },
       "details off"},
      {{"--detailed-errors=on"},
       [](auto& o) { return o.detailedErrors == DetailedErrors::kOn; },
       "details on"},
      {{"--drive", "d:=/mnt/d"},
       [](auto& o) {
         return o.drives.size() == 2 && o.drives[1].letter == 'D' &&
                o.drives[1].hostPath == "/mnt/d";
       },
       "drive added, lower-case letter"},
      {{"--drive", "C:=/srv", "--drive", "C:=/data"},
       [](auto& o) { return o.drives.size() == 1 && o.drives[0].hostPath == "/data"; },
       "same letter replaces"},
      {{"--trusted-proxy", "10.0.0.0/8,::1", "--trusted-proxy=192.0.2.7"},
       [](auto& o) { return o.trustedProxies.size() == 3; },
       "proxies listed and repeated"},
      {{"--status-path", "/server-status", "--ping-path=/ping"},
       [](auto& o) { return o.statusPath == "/server-status" && o.pingPath == "/ping"; },
       "probe paths"},
  };
  for (const auto& row : rows) {
    Args args{"--site", "/s"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const auto r = ParseHostOptions(args);
    EXPECT_TRUE(r.ok()) << row.what << ": " << r.error;
    EXPECT_TRUE(row.check(r.options)) << row.what;
  }
}

TEST(HostOptions, BadArgumentsAreRejected) {
  const std::vector<Args> rows = {
      {"--listen", "127.0.0.1:65536"},
      {"--listen", "127.0.0.1:"},
      {"--listen", ":80"},
      {"--listen", "host:port"},
      {"--threads", "0"},
      {"--threads", "-1"},
      {"--threads", "4x"},
      {"--threads", "5000"},
      {"--max-connections", "0"},
      {"--max-upload-workers", "0"},
      {"--queue-timeout", "0"},
      {"--max-body", ""},
      {"--max-body", "12Q"},
      {"--max-body", "99999999999999999999"},
      {"--max-body", "20000000000G"},
      {"--ansi-codepage", "0"},
      {"--ansi-codepage", "70000"},
      {"--idle-timeout", "0"},
      {"--idle-timeout", "-3"},
      {"--idle-timeout", "abc"},
      {"--request-timeout", "nan"},
      {"--trusted-proxy", "10.0.0.0/33"},
      {"--trusted-proxy", "10.0.0.0/"},
      {"--trusted-proxy", "proxy.example.com"},
      {"--trusted-proxy", "10.0.0.1,"},
      {"--status-allow", "::1/129"},
      {"--status-path", "status"},
      {"--status-path", "/a/../status"},
      {"--status-path", "/status?x"},
      {"--status-path", "/s", "--ping-path", "/s"},
      {"--drive", "C=/x"},
      {"--drive", "1:=/x"},
      {"--drive", "C:=relative"},
      {"--bogus", "1"},
      {"--threads"},
      {"--max-image-pixels", "0"},
      {"--max-image-pixels", "-1"},
      {"--max-image-pixels", "1M"},
      {"--max-image-pixels", ""},
      {"--max-form-parts", "0"},
      {"--max-form-parts", "-1"},
      {"--max-form-parts", "+5"},
      {"--max-form-parts", "10K"},
      {"--max-form-parts", ""},
      {"--max-form-parts", " 5"},
      {"--max-form-parts", "2147483648"},
      {"--max-form-parts", "99999999999999999999"},
      {"--max-form-parts"},
      {"--upload-folder", "uploads"},
      {"--upload-folder", "/"},
      {"--upload-folder", "/a/../b"},
      {"--upload-folder", "/.git"},
      {"--upload-folder", "/a\\b"},
      {"--upload-folder", "/a//b"},
      {"--detailed-errors", "yes"},
      {"--detailed-errors", ""},
      {"--max-field-size", "0"},
      {"--max-field-size", "2G"},
      {"--max-field-size", "-1"},
      {"--max-input-vars", "0"},
      {"--max-input-vars", "1K"},
      {"--clamd", "/run/c.sock"},
      {"--clamd", "unix:"},
      {"--clamd", "tcp:host"},
      {"--clamd", "tcp:h:0"},
      {"--clamd", "tcp::3310"},
      {"--clamd", "tcp:h:70000"},
      {"--clamd-on-error", "maybe"},
      {"--clamd-max-stream", "0"},
      {"--clamd-timeout", "0"},
  };
  for (const auto& row : rows) {
    Args args{"--site", "/s"};
    args.insert(args.end(), row.begin(), row.end());
    const auto r = ParseHostOptions(args);
    std::string shown;
    for (auto a : row) shown += std::string(a) + " ";
    EXPECT_FALSE(r.ok()) << "accepted: " << shown;
  }
}

TEST(HostOptions, SiteIsRequiredUnlessHelp) {
  EXPECT_FALSE(ParseHostOptions(Args{"--threads", "2"}).ok());
  const auto help = ParseHostOptions(Args{"--help"});
  EXPECT_TRUE(help.ok());
  EXPECT_TRUE(help.options.help);
}

TEST(HostOptions, UsageNamesEveryOption) {
  const std::string usage = HostUsage("vant-host");
  for (const char* name : {"--site",
                           "--listen",
                           "--registry",
                           "--data",
                           "--drive",
                           "--threads",
                           "--max-body",
                           "--ansi-codepage",
                           "--max-image-pixels",
                           "--max-form-parts",
                           "--max-field-size",
                           "--max-input-vars",
                           "--idle-timeout",
                           "--request-timeout",
                           "--log",
                           "--upload-folder",
                           "--detailed-errors",
                           "--help",
                           "--max-upload-workers",
                           "--max-connections",
                           "--max-queued",
                           "--queue-timeout",
                           "--clamd",
                           "--clamd-on-error",
                           "--clamd-timeout",
                           "--clamd-max-stream",
                           "--refuse-infected",
                           "--config",
                           "--error-log"})
    EXPECT_NE(usage.find(name), std::string::npos) << name;
}

// A config file's lines come first and the command line overrides them;
// a bad line names the file and its line.
struct ConfigRow {
  const char* file;
  Args args;
  std::function<bool(const HostOptions&)> check;  // null: must fail
  const char* error = "";                         // expected in the error
};

TEST(HostOptions, ConfigFileUnderTheCommandLine) {
  const std::string path = ::testing::TempDir() + "vant-host-options.conf";
  const std::vector<ConfigRow> rows = {
      {"# comment\n; comment\n\nsite = /srv/a\nlisten=0.0.0.0:81\r\nmax-body = 1M\n",
       {},
       [](auto& o) { return o.site == "/srv/a" && o.port == 81 && o.maxBody == 1u << 20; }},
      {"site = /srv/a\nthreads = 4\n",
       {"--threads", "9"},
       [](auto& o) { return o.site == "/srv/a" && o.threads == 9; }},
      {"site = /srv/a\nupload-folder = /a\nupload-folder = /b\n",
       {"--upload-folder=/c"},
       [](auto& o) {
         return o.uploadFolders == std::vector<std::string>{"/a", "/b", "/c"};
       }},
      {"site = \" /srv/a b \"\n", {}, [](auto& o) { return o.site == " /srv/a b "; }},
      {"site = /srv/a\nthreads = 0\n", {}, nullptr, "line 2: bad value for --threads: 0"},
      {"site = /srv/a\n\nno-such = 1\n", {}, nullptr, "line 3: unknown option: --no-such"},
      {"site /srv/a\n", {}, nullptr, "line 1: expected key = value"},
      {"--site = /srv/a\n", {}, nullptr, "line 1: bad key"},
      {"config = /etc/passwd\n", {}, nullptr, "line 1: unknown option: config"},
  };
  for (const auto& row : rows) {
    std::ofstream(path, std::ios::trunc) << row.file;
    Args args{"--config", path};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const auto r = ParseHostOptions(args);
    if (row.check) {
      ASSERT_TRUE(r.ok()) << row.file << " -> " << r.error;
      EXPECT_TRUE(row.check(r.options)) << row.file;
      EXPECT_EQ(r.options.configFile, path);
    } else {
      EXPECT_NE(r.error.find(path + " " + row.error), std::string::npos)
          << row.file << " -> " << r.error;
    }
  }
  std::remove(path.c_str());
  EXPECT_NE(ParseHostOptions(Args{"--config", path}).error.find("cannot read"), std::string::npos);
}

}  // namespace
}  // namespace vant::host::http
