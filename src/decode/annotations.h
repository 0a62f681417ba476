#pragma once

#include "decode/decode_row.h"
#include "decode/service_tables.h"
#include "model/byte_view.h"

#include <string>

namespace protmon {

class TCfgRec;

// Parameter annotation of a request row: identifier and name of the addressed parameter, and for
// writes its value in the parameter's units. Appends nothing when the parameter is not described.
void AnnotateRequestParameter(std::string& out, const TCfgRec& set, const TDecodeContext& ctx,
                              ByteView data, RequestNote note);

// Value annotation of the response at `position`, in the units of the parameter its request
// asked for. The caller checks that the row shows no error.
void AnnotateResponseValue(std::string& out, const TCfgRec& set, const TDecodeContext& ctx,
                           int position, ByteView data, ResponseNote note);

} // namespace protmon
