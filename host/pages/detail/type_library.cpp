#include "host/pages/detail/type_library.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace vant::host::pages::detail {
namespace {

// The library's UUIDs share this tail across versions; the 2.8 edition has
// an identifier of its own.
constexpr std::string_view kFamilyTail = "-0000-0010-8000-00aa006d2ea4";
constexpr std::string_view kLibraryUuid28 = "2a75196c-d9eb-4129-b803-931327f72d5c";
constexpr std::string_view kLibraryFilePrefix = "msado";

// The values pages use, as the library and its include files define them.
constexpr std::string_view kDeclarations =
    "var adOpenUnspecified=-1,adOpenForwardOnly=0,adOpenKeyset=1,adOpenDynamic=2,adOpenStatic=3,"
    "adLockUnspecified=-1,adLockReadOnly=1,adLockPessimistic=2,adLockOptimistic=3,"
    "adLockBatchOptimistic=4,adUseNone=1,adUseServer=2,adUseClient=3,adUseClientBatch=3,"
    "adCmdUnspecified=-1,adCmdUnknown=8,adCmdText=1,adCmdTable=2,adCmdStoredProc=4,"
    "adCmdFile=256,adCmdTableDirect=512,adAsyncExecute=16,adAsyncFetch=32,"
    "adExecuteNoRecords=128,adOptionUnspecified=-1,"
    "adParamUnknown=0,adParamInput=1,adParamOutput=2,adParamInputOutput=3,adParamReturnValue=4,"
    "adParamSigned=16,adParamNullable=64,adParamLong=128,"
    "adEmpty=0,adTinyInt=16,adSmallInt=2,adInteger=3,adBigInt=20,adUnsignedTinyInt=17,"
    "adUnsignedSmallInt=18,adUnsignedInt=19,adUnsignedBigInt=21,adSingle=4,adDouble=5,"
    "adCurrency=6,adDecimal=14,adNumeric=131,adBoolean=11,adError=10,adUserDefined=132,"
    "adVariant=12,adIDispatch=9,adIUnknown=13,adGUID=72,adDate=7,adDBDate=133,adDBTime=134,"
    "adDBTimeStamp=135,adBSTR=8,adChar=129,adVarChar=200,adLongVarChar=201,adWChar=130,"
    "adVarWChar=202,adLongVarWChar=203,adBinary=128,adVarBinary=204,adLongVarBinary=205,"
    "adChapter=136,adFileTime=64,adPropVariant=138,adVarNumeric=139,"
    "adStateClosed=0,adStateOpen=1,adStateConnecting=2,adStateExecuting=4,adStateFetching=8,"
    "adFilterNone=0,adFilterPendingRecords=1,adFilterAffectedRecords=2,"
    "adFilterFetchedRecords=3,adFilterConflictingRecords=5,"
    "adGetRowsRest=-1,adClipString=2,adBookmarkCurrent=0,adBookmarkFirst=1,adBookmarkLast=2,"
    "adSearchForward=1,adSearchBackward=-1,adPosUnknown=-1,adPosBOF=-2,adPosEOF=-3,"
    "adAffectCurrent=1,adAffectGroup=2,adAffectAll=3,adAffectAllChapters=4,"
    "adEditNone=0,adEditInProgress=1,adEditAdd=2,adEditDelete=4,"
    "adHoldRecords=256,adMovePrevious=512,adAddNew=16778240,adDelete=16779264,"
    "adUpdate=16809984,adBookmark=8192,adApproxPosition=16384,adUpdateBatch=65536,"
    "adResync=131072,adNotify=262144,adFind=524288,adSeek=4194304,adIndex=8388608,"
    "adSchemaTables=20,adSchemaColumns=4,adSchemaPrimaryKeys=28,adSchemaIndexes=12,"
    "adModeUnknown=0,adModeRead=1,adModeWrite=2,adModeReadWrite=3,adModeShareDenyRead=4,"
    "adModeShareDenyWrite=8,adModeShareExclusive=12,adModeShareDenyNone=16,"
    "adModeRecursive=4194304,adXactUnspecified=-1,adXactReadCommitted=4096,"
    "adXactSerializable=1048576,"
    "adTypeBinary=1,adTypeText=2,adSaveCreateNotExist=1,adSaveCreateOverWrite=2,"
    "adReadAll=-1,adReadLine=-2,adWriteChar=0,adWriteLine=1,adLF=10,adCR=13,adCRLF=-1,"
    "adOpenStreamUnspecified=-1,adOpenStreamAsync=1,adOpenStreamFromRecord=4,"
    "adFldUpdatable=4,adFldUnknownUpdatable=8,adFldIsNullable=32,adFldMayBeNull=64,"
    "adFldLong=128,adFldKeyColumn=32768,"
    "adRecOK=0,adRecNew=1,adRecModified=2,adRecDeleted=4,adRecUnmodified=8,"
    "adPromptAlways=1,adPromptComplete=2,adPromptCompleteRequired=3,adPromptNever=4,"
    "adConnectUnspecified=-1,adAsyncConnect=16,adResyncAllValues=2,adResyncUnderlyingValues=1,"
    "adMarshalAll=0,adMarshalModifiedOnly=1,adPersistADTG=0,adPersistXML=1;";

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// The value of attribute `name` (lower case) in `body` (lower case): quoted
// with " or ', or bare up to a blank. Empty when absent.
std::string Attribute(const std::string& body, std::string_view name) {
  for (std::size_t at = body.find(name); at != std::string::npos; at = body.find(name, at + 1)) {
    const bool starts = at == 0 || std::isspace(static_cast<unsigned char>(body[at - 1])) != 0;
    std::size_t value = at + name.size();
    while (value < body.size() && body[value] == ' ') ++value;
    if (!starts || value >= body.size() || body[value] != '=') continue;
    ++value;
    while (value < body.size() && body[value] == ' ') ++value;
    if (value < body.size() && (body[value] == '"' || body[value] == '\'')) {
      const std::size_t close = body.find(body[value], value + 1);
      if (close == std::string::npos) return {};
      return body.substr(value + 1, close - value - 1);
    }
    std::size_t end = value;
    while (end < body.size() && std::isspace(static_cast<unsigned char>(body[end])) == 0) ++end;
    return body.substr(value, end - value);
  }
  return {};
}

bool NamesLibraryUuid(std::string uuid) {
  if (!uuid.empty() && uuid.front() == '{') uuid.erase(0, 1);
  if (!uuid.empty() && uuid.back() == '}') uuid.pop_back();
  if (uuid == kLibraryUuid28) return true;
  return uuid.size() == 36 && uuid.starts_with("00000") && uuid.ends_with(kFamilyTail);
}

bool NamesLibraryFile(const std::string& file) {
  const std::size_t slash = file.find_last_of("\\/");
  const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
  return name.starts_with(kLibraryFilePrefix) && (name.ends_with(".dll") || name.ends_with(".tlb"));
}

}  // namespace

bool NamesAdoTypeLibrary(std::string_view body) {
  const std::string lower = Lower(body);
  if (Attribute(lower, "type") != "typelib") return false;
  return NamesLibraryUuid(Attribute(lower, "uuid")) || NamesLibraryFile(Attribute(lower, "file"));
}

std::string_view AdoConstantDeclarations() { return kDeclarations; }

}  // namespace vant::host::pages::detail
