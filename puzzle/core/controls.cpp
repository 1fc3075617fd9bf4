#include "controls.h"

namespace morvik {

Controls::Controls()
{
    for (int n = 0; n < 100; ++n) {
        Picture1[n].left = trayLeft(n % 10);
        Picture1[n].top = trayTop(n / 10);
        Picture2[n].left = boardLeft(n % 10);
        Picture2[n].top = boardTop(n / 10);
    }
    Picture3.left = 4440;
    Picture3.top = 4920;
}

}  // namespace morvik
