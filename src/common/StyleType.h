#pragma once

// The themes, as bit values.
enum StyleType {
    StyleLight = 1,
    StyleDark = 2,
    StyleGreen = 4,
    StyleKraft = 8,
    StyleCustom = 16,
};
