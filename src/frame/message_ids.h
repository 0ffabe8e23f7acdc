// Every message identifier the components raise, in one table. The catalog
// (resources/messages.cat) holds one text per identifier and language; the
// comment on each names its inserts (%1, %2, … in this order) and when it is
// raised.
#pragma once

#include <cstdint>

namespace vant::frame {

enum class MessageId : std::uint32_t {
  kDefaultPathNotSet = 0x40020003,        // DefaultPath read or needed before it was set
  kPathTooLong = 0x40020004,              // DefaultPath / TempPath of 1024 characters or more
  kFolderNotCreated = 0x40020005,         // %1 folder: missing and cannot be created
  kBodyReadFailed = 0x40020006,           // the host's BinaryRead failed
  kBodyReadNoData = 0x40020007,           // BinaryRead gave no byte array, or it is unusable
  kHeaderLineTooLong = 0x40020008,        // no CR LF in the next buffer of the body
  kMetadataNoMemory = 0x40020009,         // image metadata text conversion out of memory
  kNoFieldName = 0x40020010,              // Content-Disposition without name
  kUnclosedQuote = 0x40020011,            // quoted name or file name not closed
  kUnquotedNameNoSemicolon = 0x40020012,  // unquoted name not followed by ";"
  kBadFilePartHeader = 0x40020013,        // line after a file's disposition is not Content-Type
  kBodyAlreadyDrained = 0x40020014,       // form parse after the body was drained
  kNoFileElement = 0x40020015,            // a first-file member finds no file element
  kNoRequestBody = 0x40020016,            // announced body length 0 or less
  kBodyTooLarge = 0x40020017,             // %1 TotalLen (number)
  kNotMultipart = 0x40020018,             // content type is not multipart/form-data
  kNoBoundary = 0x40020019,               // content type without "boundary="
  kBadDelimiterLength = 0x40020020,       // %1 delimiter length (number)
  kDelimiterNotConverted = 0x40020021,    // delimiter has no byte form in the code page
  kTempFileNotCreated = 0x40020022,       // %1 DefaultPath
  kBodyEndedEarly = 0x40020023,           // parser needs bytes past the announced length
  kFileTooLarge = 0x40020024,             // %1 MaxFileLen (number)
  kCacheNoMemory = 0x40020025,            // cached file memory cannot be allocated
  kScriptTimeoutNotSet = 0x40020028,      // setting Server.ScriptTimeout failed
  kSessionTimeoutNotSet = 0x40020029,     // setting Session.Timeout failed
  kTotalLenTooLarge = 0x40020031,         // TotalLen above 0x7FE00000
  kSetProgressAfterParse = 0x40020032,    // SetProgress after the form was parsed
  kCacheFileExists = 0x40020033,          // %1 file path, upper-cased
  kCacheFileNotFound = 0x40020034,        // %1 file path
  kImageSourceNotFound = 0x40020035,      // %1 file path
  kImageSourceNotSet = 0x40020036,        // image operation before SetSourceFile
  kImageNotWritten = 0x40020037,          // %1 target path
  kTempFileAfterSave = 0x40020038,        // TempFilePath read after the save
  kAlreadyFlushed = 0x40020040,           // Flush after the body was drained
  kDeleteSavedFileFailed = 0x40020041,    // %1 file path
  kNotSavedFileName = 0x40020042,         // LastSavedFileName before a save
  kNotSavedFilePath = 0x40020043,         // LastSavedFilePath before a save
  kSaveFieldElement = 0x40020044,         // %1 element Name: saving a non-file element
  kEmptyNameTempNotDeleted = 0x40020045,  // %1 temporary file path
  kAlreadySaved = 0x40020046,             // element saved a second time
  kTempFileMissing = 0x40020047,          // temporary file gone at save time
  kMoveFailed = 0x40020048,               // %1 temporary path, %2 target path
  kElementNotLongBinary = 0x40020049,     // SaveAsBlob field is not type 205
  kItemIndexOutOfRange = 0x40020051,      // collection Item index outside 0 … Count
  kNoElement = 0x40020052,                // collection forwards to a missing element
  kDownloadFileNotFound = 0x40020053,     // %1 file path
  kDownloadNotLongBinary = 0x40020054,    // DownloadBlob field is not long binary
  kDownloadClientGone = 0x40020055,       // client disconnected during a download
  kTargetPathNoBackslash = 0x40020056,    // %1 target path
  kTargetFolderNotCreated = 0x40020057,   // %1 folder path
  kTargetFolderMissing = 0x40020058,      // %1 folder path
  kBlobNotLongBinary = 0x40020059,        // BLOB transfer field is not long binary
  kBlobEmptyPath = 0x40020060,            // SaveBlobAsFile with an empty path
  kBlobClientGone = 0x40020061,           // client disconnected during SaveBlobAsFile
  kBlobSourceNotFound = 0x40020062,       // %1 file path
  kSystemError = 0x40020063,              // %1 system text, %2 class, %3 member, %4 place
  kStringNotAllocated = 0x40020065,       // a result string cannot be allocated
  kUnexpectedFailure = 0x40020066,        // %1 class name, %2 member name
  kTooManyParts = 0x40020067,             // %1 part limit (number): the form has more parts
  kFieldTooLarge = 0x40020068,            // %1 field name, %2 size limit in bytes (number)
  kDownloadNameUnsendable = 0x40020069,   // download name holds CR, LF or NUL
  kInfectedNotSaved = 0x40020070,         // %1 file name, %2 VirusName: infected file refused
  kAbnormalUpload = 0xC0020001,           // %1 kAbnormalUploadText
};

// The only insert of kAbnormalUpload, always this text (ending with a blank).
inline constexpr char16_t kAbnormalUploadText[] = u"비 정상적인 파일이 업로드 되었습니다. ";

constexpr std::uint32_t ToNumber(MessageId id) { return static_cast<std::uint32_t>(id); }

}  // namespace vant::frame
