#pragma once
// Helpers of the room window tests: a private data folder, the program's
// style sheet, session set-ups (small room, live room, student side) and
// screenshots under <build>/screenshots/.
#include "app/CData.h"
#include "tests/interaction/RoomFixture.h"

namespace shelltest {

// The private data folder (made before any test runs), the teacher's style
// sheet and screenshots are the shared room fixture's.
using roomfixture::Home;
using roomfixture::Screenshot;
using roomfixture::UseProgramStyle;

// Login variables of a session: token, live id, user id, user name,
// group id, live type ("1" is a live room, "3" a small room).
inline void SetSession(bool liveRoom, const QString& token = "tok|6", const QString& name = "Ms Lin")
{
    Home();
    CData::instance()->SetLoginVar({token, "42", "1001", name, "7", liveRoom ? "1" : "3"});
}

}  // namespace shelltest
