#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "form/form_element.h"
#include "platform/ado/field.h"
#include "support/fake_field.h"
#include "unit/form/form_test_env.h"

namespace vant::form {
namespace {

using test::FakeField;
using testing::FormTest;
using testing::TakeReport;

class BlobTest : public FormTest {
 protected:
  static std::string Bytes(std::size_t n) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i * 7 + 1);
    return bytes;
  }
};

TEST_F(BlobTest, AppendsInChunksOfOneByteLessThanTheFieldChunk) {
  struct Row {
    std::size_t size;
    std::vector<std::uint32_t> chunks;
  };
  const Row rows[] = {
      {0, {}}, {10, {10}}, {65535, {65535}}, {65536, {65535, 1}}, {140000, {65535, 65535, 8930}},
  };
  for (const Row& row : rows) {
    auto element = FileElement("b.bin", Bytes(row.size));
    const std::string temp = testing::HostPath(element->Item().TempFilePath);
    auto field = FakeField::Create(ado::kAdLongVarBinary);
    ASSERT_EQ(element->SaveAsBlob(static_cast<ado::IField*>(field.get())), S_OK) << row.size;
    EXPECT_EQ(field->appended, row.chunks) << row.size;
    EXPECT_TRUE(field->stored == Bytes(row.size)) << row.size;
    EXPECT_FALSE(std::filesystem::exists(temp)) << row.size;
    Bstr out;
    EXPECT_EQ(element->get_TempFilePath(&out), E_FAIL) << "saved after the transfer";
    TakeReport();
    flag_ = std::make_shared<frame::ErrorFlag>();
  }
}

TEST_F(BlobTest, RefusalsAndTheirMessages) {
  auto field = FakeField::Create(ado::kAdLongVarBinary);
  auto textField = FakeField::Create(201);
  auto notAField = CFormElement::Create();  // any object without the field interface
  auto plain = FieldElement("title", "x");
  auto big = FileElement("big.bin", "12345");
  big->SetMaxFileLen(4);
  auto moved = FileElement("moved.bin");
  ASSERT_EQ(moved->Save(Bstr(u""), VARIANT_TRUE, nullptr), S_OK);

  struct Row {
    const char* name;
    CFormElement* element;
    IUnknown* field;
    std::string report;
  };
  auto fresh = FileElement("fresh.bin");
  const Row rows[] = {
      {"field element", plain.get(), static_cast<ado::IField*>(field.get()), "44|title"},
      {"too large", big.get(), static_cast<ado::IField*>(field.get()), "24|4"},
      {"not long binary", fresh.get(), static_cast<ado::IField*>(textField.get()), "49"},
      {"no field interface", fresh.get(), static_cast<IFormElement*>(notAField.get()),
       "66|CFormElement|SaveAsBlob"},
      {"null field", fresh.get(), nullptr, "66|CFormElement|SaveAsBlob"},
      {"already moved", moved.get(), static_cast<ado::IField*>(field.get()), "46"},
  };
  for (const Row& row : rows) {
    flag_ = std::make_shared<frame::ErrorFlag>();
    row.element->SetErrorFlagLink(flag_);
    EXPECT_EQ(row.element->SaveAsBlob(row.field), E_FAIL) << row.name;
    EXPECT_EQ(TakeReport(), row.report) << row.name;
    EXPECT_TRUE(flag_->IsSet()) << row.name;
  }
  EXPECT_TRUE(field->stored.empty());
  EXPECT_TRUE(std::filesystem::exists(testing::HostPath(fresh->Item().TempFilePath)));
}

TEST_F(BlobTest, FailedAppendKeepsTheFileAndSetsTheFlagSilently) {
  auto element = FileElement("b.bin", Bytes(70000));
  auto field = FakeField::Create(ado::kAdLongVarBinary);
  field->failAppendAt = 1;
  EXPECT_EQ(element->SaveAsBlob(static_cast<ado::IField*>(field.get())), E_ACCESSDENIED);
  EXPECT_EQ(TakeReport(), "<none>");
  EXPECT_TRUE(flag_->IsSet());
  EXPECT_TRUE(std::filesystem::exists(testing::HostPath(element->Item().TempFilePath)))
      << "kept for a retry; the upload's cleanup removes it";
  auto retry = FakeField::Create(ado::kAdLongVarBinary);
  EXPECT_EQ(element->SaveAsBlob(static_cast<ado::IField*>(retry.get())), S_OK);
  EXPECT_EQ(retry->stored.size(), 70000u);
}

}  // namespace
}  // namespace vant::form
