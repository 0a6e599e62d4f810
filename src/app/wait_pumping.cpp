#include "app/wait_pumping.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace mugwarp {

void waitPumping(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    } while (clock.elapsed() < milliseconds);
}

}  // namespace mugwarp
