#pragma once

#include <QLatin1StringView>
#include <QStringView>

// The words of the control box the program looks for in its replies, and
// the release marks its identification puts in the firmware version that
// files and log entries keep.
class CBoxWords
{
public:
    static constexpr QLatin1StringView kModePrompt{"Enter Mode"};
    static constexpr QLatin1StringView kForcePrompt{"Enter Force"};
    static constexpr QLatin1StringView kDisplacementPrompt{"Enter Displacement"};
    static constexpr QLatin1StringView kVelocityPrompt{"Enter Velocity"};
    static constexpr QLatin1StringView kDwellPrompt{"Enter Dwell"};
    static constexpr QLatin1StringView kGoAheadPrompt{"Press y"};
    static constexpr QLatin1StringView kReturning{"returning to normal operation"};
    static constexpr QLatin1StringView kReprogramReply{"force sensor reprogram"};
    static constexpr QLatin1StringView kConfirmReply{"Confirm"};
    static constexpr QLatin1StringView kReprogramState{"reprogram state"};
    static constexpr QLatin1StringView kSendDataNow{"Send Data Now"};
    static constexpr QLatin1StringView kRelease4Mark{"R4"};
    static constexpr QLatin1StringView kRelease5Mark{"R5"};

    // The release a firmware version names; otherwise when it names none.
    static int Release(QStringView version, int otherwise)
    {
        if (version.contains(kRelease5Mark))
            return 5;
        return version.contains(kRelease4Mark) ? 4 : otherwise;
    }
};
