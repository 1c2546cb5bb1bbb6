// Frame painters of the framed controls.
#include "controls/common/frames.h"

#include "controls/common/colors.h"

DTU_DEFINE_ENUM(TFrameStyleEx, "fsNone", "fsFlat", "fsGroove", "fsBump", "fsLowered", "fsButtonDown",
                "fsRaised", "fsButtonUp", "fsStatus", "fsPopup", "fsFlatBold", "fsFlatRounded")
DTU_DEFINE_ENUM(TSide, "sdLeft", "sdTop", "sdRight", "sdBottom")
