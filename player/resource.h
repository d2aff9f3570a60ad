#pragma once
// Player string identifiers. Status lines use the HTTP code as their id, so
// the server finds a status text by its code; only 505, whose id the log
// file's message held first, has its text elsewhere (StatusStringId).

#define IDS_OK                      1
#define IDS_CANCEL                  2
#define IDS_DIALOG_CAPTION          102
#define IDS_SOCKETS_INIT_FAILED     103
#define IDS_HTTP_DATE_FORMAT        129
#define IDS_SERVER_NAME             130
#define IDS_DEFAULT_DOCUMENTS       131
#define IDS_WNDCLASS_FAILED         133
#define IDS_IE_NOT_FOUND            134
#define IDS_IE_NOT_STARTED          135
#define IDS_WINDOW_FAILED           136
#define IDS_SOCKET_FAILED           137
#define IDS_FIREFOX_NOT_STARTED     138
#define IDS_FIREFOX_NOT_FOUND       139
#define IDS_SAFARI_NOT_STARTED      140
#define IDS_SAFARI_NOT_FOUND        141

#define IDS_STATUS_200              200
#define IDS_STATUS_201              201
#define IDS_STATUS_202              202
#define IDS_STATUS_204              204
#define IDS_STATUS_301              301
#define IDS_STATUS_302              302
#define IDS_STATUS_304              304
#define IDS_STATUS_400              400
#define IDS_STATUS_401              401
#define IDS_STATUS_403              403
#define IDS_STATUS_404              404
#define IDS_STATUS_405              405
#define IDS_STATUS_408              408
#define IDS_STATUS_500              500
#define IDS_STATUS_501              501
#define IDS_STATUS_502              502
#define IDS_STATUS_503              503

#define IDS_USAGE                   504
#define IDS_LOG_CREATE_FAILED       505
// No status code is 600 or more, so this id can never be another's.
#define IDS_STATUS_505              600

#define IDS_BROWSER_SYSTEM          1000
#define IDS_BROWSER_IE              1001
#define IDS_BROWSER_FIREFOX         1002
#define IDS_BROWSER_SAFARI          1003
#define IDS_DO_NOT_ASK              1004
#define IDS_DIALOG_INFO             1005
