// Progress records in Redis, for hosts that share state (--state): the id
// counter is `vant:progress:next`, the record of id N the hash
// `vant:progress:N`, with an expiry that the writing host renews.
#pragma once

#include <memory>

#include "progress/progress_table.h"
#include "progress/shared_records.h"

namespace vant::redis {
class Client;
}

namespace vant::progress {

// The records on `client`, which must outlive them.
std::unique_ptr<SharedRecords> MakeRedisRecords(redis::Client& client);

// The records of the host's shared store (redis::SharedClient), or null
// when the host keeps its state in the process.
std::unique_ptr<SharedRecords> MakeSharedRecords();

// The times of the shared table, with the lease from the settings.
SharingTimes SharingTimesFromSettings();

}  // namespace vant::progress
