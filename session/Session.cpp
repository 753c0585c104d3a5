#include "session/Session.h"

#include "scoring/Scoring.h"
#include "store/accounts/AccessLog.h"
#include "store/tables/TestStore.h"

namespace tavlo {

void ScoreCurrentTest(Session& session)
{
    SelectAgeGroup(session.db, session.norms, session.test);
    ScoreTest(session.db, session.norms, session.test);
}

bool ReadAndScore(Session& session, int id)
{
    if (!OpenTest(session.db, session.test, id))
        return false;
    ScoreCurrentTest(session);
    return true;
}

bool RecordPrint(Session& session, const QString& where)
{
    return LogAccess(session.db, AccessEvent::Printed, session.test.person.ID, where);
}

} // namespace tavlo
