#pragma once
// The addresses of every server the program and its libraries talk to, in a
// production and a test table of 20 entries each, looked up by key. The
// table in use follows the setting "LoginType" (0 or 1: test, 2: production,
// anything else: no table, so every address is empty), read once per run.
//
// Host names are deployment configuration: the file named by
// $VELTORA_ENDPOINTS, else "endpoints.ini" in the program's folder, gives one
// host per role in its sections [production] and [test]:
//
//   [production]
//   config=https://config.example      ; keys 0, 7, 17
//   web=...      ; 1        room=...    ; 2-6      cms=...     ; 8, 9, 11, 12
//   docs=...     ; 10       mirror=...  ; 13       live=...    ; 14
//   snapshot=... ; 15       report=...  ; 16       log=...     ; 18
//   monitor=...  ; 19
//   [test]
//   config=...   ; 7 only (keys 0, 1 and 17 are the production values)
//   room=, cms=, docs=, mirror=, live=, snapshot=, report=, log=, monitor=
//
// A host is "scheme://name[:port]"; a missing role keeps its compiled-in
// default "https://<role>.example" (production) or "https://test-<role>.example".
#include "common/IniFile.h"

#include <map>
#include <string>

// The keys of the endpoint table.
enum EndpointKey {
    kUrlUpdateInfo = 0,       // update information file
    kUrlDownloadPage = 1,     // download page, stored for the updater
    kUrlRoomProxy = 2,
    kUrlWhiteboardProxy = 3,
    kUrlChatServer = 4,
    kUrlMediaGateway = 5,
    kUrlLiveConfig = 6,       // followed by "?token="
    kUrlMediaLines = 7,       // followed by "?random="
    kUrlUserHttp1 = 8,        // user HTTP API bases 1-4 (one host)
    kUrlUserHttp2 = 9,
    kUrlDocUpload = 10,       // document upload base
    kUrlUserHttp3 = 11,
    kUrlUserHttp4 = 12,
    kUrlSpeedMirror = 13,     // followed by "?key="
    kUrlPlaybackPage = 14,    // class playback page
    kUrlSnapshotUpload = 15,
    kUrlReportHost = 16,      // user HTTP API base 5
    kUrlGroupImages = 17,     // group logos, followed by the image name
    kUrlLogReport = 18,       // followed by "openapi/speedrp" or "openapi/eventrp"
    kUrlStreamMonitor = 19,   // followed by "openapi/stream_notify"
};

// Both tables, filled completely from a deployment file (or the defaults).
class EndpointTables {
public:
    static constexpr int kKeyCount = 20;

    explicit EndpointTables(const IniFile& deployment = IniFile());

    // The address for key in the table of loginType: "" for a login type
    // other than 0, 1 or 2 and for a key outside 0..19; never null. Never
    // inserts.
    const char* Lookup(int loginType, int key) const;

private:
    std::map<int, std::string> m_production;  // read-only after construction
    std::map<int, std::string> m_test;        // read-only after construction
};

class UrlProxy {
public:
    // Runs InitProxy, then looks key up in the table of the login type.
    // The answer stays valid for the life of the process.
    static const char* GetUrl(int key);
    // Once per process: reads "LoginType" (default 2) and the deployment
    // file and fills both tables. Later calls do nothing. Thread-safe.
    static void InitProxy();
    // The deployment file in use: $VELTORA_ENDPOINTS, else endpoints.ini
    // beside the program.
    static std::string DeploymentFile();
};
