#pragma once

#include <QString>

#include <optional>

class CSerialLink;

// Wakes the control box with single line feeds until it answers with text.
// Two exchanges without any reply mean nothing is there. A box that answers
// with bare line ends only (still starting up, or a line that merely echoes)
// gets kMaxBlankReplies of them and is then treated as not responding, so
// the probe always ends.
class CLineFeedProbe
{
public:
    static constexpr int kMaxSilentExchanges = 2;
    static constexpr int kMaxBlankReplies = 10;

    // The box's answer with white space trimmed, or nothing when it gave none.
    static std::optional<QString> Run(CSerialLink& link);
};
