#pragma once

// The choices the shared files carry, one type each for every layer above.

// Which of a model's two halves, or the data of which: DC (the log10 conductivity model, V/I and
// the apparent resistivity) or IP (the chargeability model, the apparent chargeability).
enum class EModelKind { dc, ip };

// What a forward run computes: DC, DC and IP, or DC and IP with large chargeabilities (IPL);
// numbered as the forward input file's FWD lines are listed.
enum class EForwardType { dc, dcIp, dcIpl };

// The electrode arrays, numbered as the locations file's header keeps them: the four classic
// ones, then those laid on numbered electrodes x1 + (k - 1) a, an instrument's protocol last.
enum class EArray {
    polePole,
    dipoleDipole,
    poleDipoleRight,
    poleDipoleLeft,
    wenner,
    wennerSchlumberger,
    gradient,
    protocol
};

inline bool IsNumberedArray(EArray array)
{
    return array >= EArray::wenner;
}
