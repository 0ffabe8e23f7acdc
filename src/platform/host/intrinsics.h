// Everything of the page host interface in one include: the scripting
// context and the intrinsic objects with exactly the operations components
// call. The host implements them on its own objects and offers scripts a
// wider surface of its own.
#pragma once

#include "platform/host/dictionaries.h"
#include "platform/host/request.h"
#include "platform/host/response.h"
#include "platform/host/scripting_context.h"
#include "platform/host/server.h"
#include "platform/host/session.h"
