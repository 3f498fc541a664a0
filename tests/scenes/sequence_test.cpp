// Tests of the scene sequence against the scene table: every part stops where its entry says.
#include <gtest/gtest.h>

#include "app/closing.h"
#include "app/scenetable.h"
#include "support/scene_script.h"

// The driver's scene i and then the closing sequence, started in the order before their part's
// end, play on through it and stop on the first frame of the end order: a loop that ends an order
// early stops before drawing, one that ends an order late runs into the frame limit, and a scene
// in the wrong place of the sequence meets another part's end order.
TEST(SceneSequence, EveryPartEndsExactlyAtItsTableEntry) {
    installTestAssets();
    for (int part = 0; part < kSceneSpanCount; ++part) {
        const SceneSpan& span = kSceneSpans[part];
        SceneScript script(false);
        script.frameLimit = 10;
        script.setMusic(span.endOrder - 1, 0);
        script.onFrame = [&](int frame) {
            script.setClock(20 * uint32_t(frame + 1));
            if (frame == 2) script.setMusic(span.endOrder, 0);
        };
        if (part < kSceneCount)
            EXPECT_EQ(script.run(kSceneSequence[part]), 0) << span.name;
        else
            script.run(runClosingSequence);
        EXPECT_EQ(script.frames(), 3) << span.name;
    }
}
