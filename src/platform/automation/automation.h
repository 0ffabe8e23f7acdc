// Everything of the automation runtime in one include.
#pragma once

#include "platform/automation/bstr.h"
#include "platform/automation/com_ptr.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/enum_variant.h"
#include "platform/automation/error_info.h"
#include "platform/automation/guid.h"
#include "platform/automation/hresult.h"
#include "platform/automation/object.h"
#include "platform/automation/raise_error.h"
#include "platform/automation/safearray.h"
#include "platform/automation/unknown.h"
#include "platform/automation/variant.h"
