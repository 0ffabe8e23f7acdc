// A site in memory and helpers to translate and run its pages.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "host/pages/translator.h"
#include "page_test_support.h"

namespace vant::host::pages::testing {

inline constexpr const char* kSiteRoot = "/srv/site";

class TranslatorFixture : public ::testing::Test {
 protected:
  // Adds a file at virtualPath ("/inc/a.inc") under the site root.
  void AddFile(const std::string& virtualPath, const std::string& text) {
    loader_.files[std::string(kSiteRoot) + virtualPath] = text;
  }

  std::variant<TranslatedPage, TranslateError> Translate(
      const std::string& pagePath = "/page.asp") {
    return TranslatePage(loader_, TranslateOptions{kSiteRoot, pagePath});
  }

  // Translates a page that must translate.
  TranslatedPage Page(const std::string& text, const std::string& pagePath = "/page.asp") {
    AddFile(pagePath, text);
    auto result = Translate(pagePath);
    if (auto* error = std::get_if<TranslateError>(&result)) {
      ADD_FAILURE() << "translation failed: " << error->message << " at " << error->file << ":"
                    << error->line << "\npage: " << text;
      return {};
    }
    return std::move(std::get<TranslatedPage>(result));
  }

  // Translates a page that must fail.
  TranslateError Error(const std::string& text, const std::string& pagePath = "/page.asp") {
    AddFile(pagePath, text);
    auto result = Translate(pagePath);
    if (auto* page = std::get_if<TranslatedPage>(&result)) {
      ADD_FAILURE() << "translated, expected an error\npage: " << text
                    << "\nscript: " << page->script;
      return {};
    }
    return std::get<TranslateError>(result);
  }

  // Translates and runs a page; returns what it wrote.
  std::string Output(const std::string& text, const std::string& pagePath = "/page.asp") {
    const TranslatedPage page = Page(text, pagePath);
    ScriptRunner runner;
    const RunResult run = runner.Run(page.script);
    EXPECT_TRUE(run.ok) << run.error << "\npage: " << text << "\nscript: " << page.script;
    return run.output;
  }

  MemoryLoader loader_;
};

}  // namespace vant::host::pages::testing
