#include "core/protocol/CLineFeedProbe.h"

#include "core/device/CSerialLink.h"
#include "core/record/CTextRules.h"

std::optional<QString> CLineFeedProbe::Run(CSerialLink& link)
{
    int silent = 0;
    int blank = 0;
    while (silent < kMaxSilentExchanges && blank < kMaxBlankReplies) {
        if (!link.Exchange(QStringLiteral("\n"))) {
            ++silent;
            continue;
        }
        const QString reply = CTextRules::Trimmed(link.ReplyText());
        if (!reply.isEmpty())
            return reply;
        ++blank;
    }
    return std::nullopt;
}
