#pragma once

// How a load of an experiment file ended. A load with a message still
// counts as opened; only a complete one may be saved over its file.
enum class CLoadOutcome {
    Complete,
    NoEndMarker,
    NotValid,
    OldFormatFailed,
    LineTooLong,  // a line beyond the line reader's bound ended the read
    TooLarge,     // the input grew beyond the file size bound while read
    ReadFailed,
};
