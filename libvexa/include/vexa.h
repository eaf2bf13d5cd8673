/*
 * vexa.h - the VEXA discovery library: finds network video devices on the local link and configures them.
 *
 * Threads: VEXA_Start_V40 starts one I/O thread. The device callback runs on that thread only, once per
 * event, and must not block. Every other function is synchronous and may be called from any one thread
 * (the program calls them from its GUI thread). Device operations block until the device answers or the
 * time-out passes (about 3 s).
 *
 * Results: functions return 1 or more on success and 0 on failure, except VEXA_GetLastError. After a
 * failure VEXA_GetLastError() returns the code of that failure (per calling thread).
 *
 * Texts: 8-bit, NUL-terminated in fixed-width fields. A text that fills its field has no terminator, so
 * readers bound every field by its width. Serial numbers and MAC addresses are ASCII.
 *
 * Environment: VEXA_IFACE (IPv4 address of the one interface to use, e.g. 127.0.0.1), VEXA_PORT (UDP port,
 * default 42086), VEXA_TRUSTED_KEYS (extra trusted manufacturer keys), VEXA_WSD_PORT (WS-Discovery port,
 * default 3702), VEXA_ONVIF (0 turns ONVIF discovery off), see docs/protocol.md.
 *
 * ONVIF devices come through the same callback and calls as ours; VEXA_DEVICE_INFO.protocol tells them apart.
 */
#ifndef VEXA_H
#define VEXA_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && defined(VEXA_SHARED_BUILD)
#define VEXA_API __declspec(dllexport)
#else
#define VEXA_API
#endif

/* Error codes returned by VEXA_GetLastError. */
#define VEXA_NOERROR 0
#define VEXA_ERR_NOT_STARTED 2001       /* the library is not started */
#define VEXA_ERR_BAD_ARGUMENT 2002      /* a null or malformed argument, or an unknown command */
#define VEXA_ERR_NETWORK 2003           /* no usable socket or interface */
#define VEXA_ERR_UNKNOWN_DEVICE 2004    /* no device with that serial number or MAC has been heard */
#define VEXA_ERR_UNTRUSTED_DEVICE 2005  /* the device's certificate does not verify; no secret was sent */
#define VEXA_ERR_BUFFER_TOO_SMALL 2006  /* the output buffer cannot hold the answer */
#define VEXA_ERR_FILE 2007              /* a named file could not be read */
#define VEXA_ERR_DEVICE_REFUSED 2009    /* wrong password, bad key or code, or an operation not allowed */
#define VEXA_ERR_TIMEOUT 2011           /* the device did not answer in time */
#define VEXA_ERR_LOCKED 2012            /* too many wrong passwords: the device refuses for a while */
#define VEXA_ERR_WEAK_PASSWORD 2013     /* the device refused the new password as too weak */
#define VEXA_ERR_NOT_ACTIVATED 2014     /* the device must be activated first */
#define VEXA_ERR_NOT_SUPPORTED 2015     /* the device does not offer this operation */
#define VEXA_ERR_AMBIGUOUS_DEVICE 2016  /* two heard devices share that serial number or MAC; nothing was sent */
#define VEXA_ERR_DEVICE_STORAGE 2017    /* the device could not save the change and kept its old state */
#define VEXA_ERR_DEVICE_CHANGED 2018    /* the device changed since the record the change was built on; nothing set */
#define VEXA_ERR_OUTCOME_UNKNOWN 2019   /* no answer even when asked again: the change may have been applied */
#define VEXA_ERR_RESTORE_PENDING 2020   /* the device is being restored; it takes no activation meanwhile */
#define VEXA_ERR_ALREADY_ACTIVATED 2021 /* activation of a device that already has a password */
#define VEXA_ERR_UNCONFIRMED 2039       /* heard only unasked: it did not answer an inquiry of this run; nothing sent */
#define VEXA_ERR_ADDRESS_TAKEN 2038     /* something answered at the address; VEXA_GetLastErrorDetail says what */
#define VEXA_ERR_PUBLIC_RANGE 2040      /* a scan range holds public addresses and they were not allowed */
#define VEXA_ERR_BUSY 2041              /* another scan is running */
/* ONVIF devices. VEXA_GetLastErrorDetail gives the device's own words where it sent some. */
#define VEXA_ERR_NEED_CREDENTIALS 2030    /* the device asks for a user name and password and none was set */
#define VEXA_ERR_VALUE_REFUSED 2031       /* the device refused a value of the request (a sender fault) */
#define VEXA_ERR_DEVICE_FAULT 2032        /* the device failed to carry out the request (a receiver fault) */
#define VEXA_ERR_NOT_BACK 2033            /* after restarting, the device did not answer at its new address in time */
#define VEXA_ERR_NOT_APPLIED 2034         /* the device answered, but reads back other values than were sent */
#define VEXA_ERR_BAD_ANSWER 2035          /* the device's answer is not a message the library understands */
#define VEXA_ERR_CONNECTION 2036          /* no connection to the device's service address */
#define VEXA_ERR_CERTIFICATE_CHANGED 2037 /* its HTTPS certificate is not the one pinned first; nothing was sent */

/* Event types of the device callback. */
#define VEXA_EVENT_NEW 1
#define VEXA_EVENT_CHANGED 2
#define VEXA_EVENT_GONE 3

/* Bits of VEXA_DEVICE_INFO.supportFlags. */
#define VEXA_SUPPORT_IPV6 0x01
#define VEXA_SUPPORT_MODIFY_IPV6 0x02
#define VEXA_SUPPORT_DHCP 0x04
#define VEXA_SUPPORT_KEY_RESET 0x40 /* forgotten password reset by key exchange, else by security code */
#define VEXA_SUPPORT_RESET_IPC 0x80 /* the reset may also reset the attached cameras */

/* Bits of VEXA_DEVICE_INFO.resetFlags. */
#define VEXA_RESET_QR 0x01 /* the key request can be handed out as a QR code (command 2) */

/* Device classes (VEXA_DEVICE_INFO.deviceClass). */
#define VEXA_CLASS_VIDEO 1
#define VEXA_CLASS_OTHER 2

/* VEXA_DEVICE_INFO.source: how the device came to be listed. */
#define VEXA_SOURCE_DISCOVERY 0 /* multicast discovery (our inquiries, WS-Discovery probes, announcements) */
#define VEXA_SOURCE_SCAN 1      /* it answered an address-range scan (VEXA_ScanRanges), kept once set */

/* VEXA_DEVICE_INFO.protocol. */
#define VEXA_PROTOCOL_VEXA 0
#define VEXA_PROTOCOL_ONVIF 1

/* VEXA_DEVICE_INFO.detailsState, ONVIF devices only. */
#define VEXA_DETAILS_PENDING 0     /* heard, details not read yet */
#define VEXA_DETAILS_READ 1        /* serial number, MAC and network settings read */
#define VEXA_DETAILS_NEED_LOGIN 2  /* the device asks for a user name and password (none set, or refused) */
#define VEXA_DETAILS_UNREACHABLE 3 /* its service address did not answer, or answered nonsense */
#define VEXA_DETAILS_PARTIAL 4     /* some details read; missingDetails says which not */

/* VEXA_DEVICE_INFO.missingDetails: the reads of an ONVIF device that failed (VEXA_GetOnvifDetailsNote says why). */
#define VEXA_READ_INFORMATION 0x01 /* manufacturer, model, firmware, serial number */
#define VEXA_READ_INTERFACES 0x02  /* MAC, addresses, DHCP */
#define VEXA_READ_GATEWAY 0x04     /* default gateways */
#define VEXA_READ_PROTOCOLS 0x08   /* HTTP, HTTPS and RTSP ports */
#define VEXA_READ_SCOPES 0x10      /* name, location, hardware */
#define VEXA_READ_CLOCK 0x20       /* the device's clock */

/* Bits of VEXA_DEVICE_INFO.onvifFlags, ONVIF devices only. */
#define VEXA_ONVIF_SAID_BYE 0x01            /* it said goodbye; checking: listed until its address stops answering */
#define VEXA_ONVIF_LOGIN_GIVEN 0x02         /* a login applies to it (given for it, or for every device) */
#define VEXA_ONVIF_CERTIFICATE_CHANGED 0x04 /* its HTTPS certificate differs from the pinned one; nothing sent */
#define VEXA_ONVIF_ADDRESS_CLAIMED 0x08     /* a message names another address; kept here until that one proves it */

/*
 * What the library can do with a device, by its protocol (VEXA_DeviceCapabilities). Callers ask these bits and
 * never test VEXA_DEVICE_INFO.protocol themselves, so that a protocol or an operation added later changes one table.
 */
#define VEXA_CAN_ACTIVATE 0x0001 /* a new device takes its first password from us (VEXA_ActivateDevice) */
#define VEXA_CAN_RECOVER 0x0002  /* a forgotten password is reset by key or security code */
#define VEXA_CAN_SET_PORT 0x0004 /* its service port is a setting we may change */
#define VEXA_CAN_SET_IPV6 0x0008 /* its IPv6 address, gateway and prefix are settings we may change */
#define VEXA_SIGNS_IN_AS_USER                                                                                          \
    0x0010 /* calls carry a user name and password set per site (VEXA_SetOnvifCredentials*);                           \
              otherwise the device's own administrator password, passed per call */
#define VEXA_DETAILS_READ_LATER 0x0020   /* its details are read after discovery (detailsState, missingDetails) */
#define VEXA_HAS_ACTIVATION_STATE 0x0040 /* activationState means something */
#define VEXA_KNOWN_BY_ENDPOINT 0x0080    /* known by its endpoint reference until its details are read */
#define VEXA_SIGNS_ANNOUNCEMENTS 0x0100  /* its messages may be signed (certified, confirmed) */
#define VEXA_CAN_SET_GATEWAY 0x0200      /* its IPv4 gateway may always be set; without it, at capabilityLevel 1 only */
#define VEXA_VERSIONS_RECORD 0x0400      /* recordVersion grows with each change: an older record is stale */

/* The VEXA_CAN_* and other capability bits of a device of this protocol (VEXA_PROTOCOL_*); 0 for an unknown one. */
VEXA_API uint32_t VEXA_DeviceCapabilities(uint8_t protocol);

/* Commands of VEXA_GetDeviceConfig. */
#define VEXA_CMD_KEY_REQUEST 1    /* password reset key request, at most 256 bytes */
#define VEXA_CMD_KEY_REQUEST_QR 2 /* the same, at most 384 bytes, suited to a QR code */

/*
 * One device as the callback reports it. Fixed layout; offsets in the comments are guaranteed.
 * Valid only during the callback; copy what you keep.
 */
typedef struct VEXA_DEVICE_INFO {
    char recordTag[12];       /*   0: "VXDP1" */
    char serialNo[48];        /*  12 */
    char mac[20];             /*  60: "aa-bb-cc-dd-ee-ff" */
    char ipv4Address[16];     /*  80 */
    char ipv4SubnetMask[16];  /*  96 */
    int32_t deviceTypeCode;   /* 112 */
    int32_t port;             /* 116: service port */
    int32_t channelCount;     /* 120 */
    int32_t auxCount;         /* 124 */
    char softwareVersion[48]; /* 128 */
    char dspVersion[48];      /* 176 */
    char bootTime[48];        /* 224 */
    int32_t eventType;        /* 272: VEXA_EVENT_* */
    char deviceTypeName[24];  /* 276 */
    char oemInfo[24];         /* 300 */
    char ipv4Gateway[16];     /* 324 */
    char ipv6Address[46];     /* 340 */
    char ipv6Gateway[46];     /* 386 */
    uint8_t ipv6PrefixLength; /* 432 */
    uint8_t supportFlags;     /* 433: VEXA_SUPPORT_* */
    uint8_t dhcpEnabled;      /* 434 */
    uint8_t capabilityLevel;  /* 435: 0, 1 or 2 */
    uint16_t httpPort;        /* 436 */
    uint8_t deviceClass;      /* 438: VEXA_CLASS_* */
    uint8_t certified;        /* 439: 1 when its certificate verifies against a trusted key, and it is confirmed */
    uint32_t recordVersion;   /* 440: grows with every change of the device; hand it back in VEXA_NET_PARAM */
    uint8_t onvifFlags;       /* 444: VEXA_ONVIF_* */
    uint8_t reserved1[13];    /* 445 */
    uint8_t oemCode;          /* 458 */
    uint8_t activationState;  /* 459: 0 activated, 1 not activated */
    uint8_t reserved2[24];    /* 460 */
    uint8_t resetFlags;       /* 484: VEXA_RESET_* */
    uint8_t confirmed;        /* 485: 1 when it answered an inquiry of this run (signed over its id when certified) */
    uint8_t reserved3[14];    /* 486 */
    char deviceName[32];      /* 500 */
    char serviceTag[20];      /* 532 */
    uint16_t rtspPort;        /* 552 */
    /* ONVIF devices (zero for ours): model in deviceTypeName, firmware in softwareVersion, name in deviceName. */
    uint8_t protocol;           /* 554: VEXA_PROTOCOL_* */
    uint8_t detailsState;       /* 555: VEXA_DETAILS_* */
    char endpointReference[64]; /* 556: the device's WS-Discovery identity, e.g. "urn:uuid:..." */
    char serviceAddress[64];    /* 620: the device service URL in use */
    char manufacturer[32];      /* 684 */
    char hardwareId[20];        /* 716 */
    char location[24];          /* 736: from the location scope */
    uint16_t httpsPort;         /* 760 */
    uint8_t missingDetails;     /* 762: VEXA_READ_* bits of the reads that failed */
    uint8_t source;             /* 763: VEXA_SOURCE_* */
    uint8_t reserved4[4];       /* 764 */
} VEXA_DEVICE_INFO;             /* 768 bytes */

/* Network parameters for VEXA_ModifyDeviceNetParam. Texts NUL-padded to their width. 436 bytes. */
typedef struct VEXA_NET_PARAM {
    char ipv4Address[16];     /*   0 */
    char ipv4SubnetMask[16];  /*  16 */
    char ipv4Gateway[16];     /*  32 */
    char ipv6Address[128];    /*  48 */
    char ipv6Gateway[128];    /* 176 */
    uint16_t port;            /* 304 */
    uint8_t ipv6PrefixLength; /* 306 */
    uint8_t dhcpEnabled;      /* 307 */
    uint16_t httpPort;        /* 308 */
    uint8_t reserved1[2];     /* 310 */
    char deviceName[32];      /* 312 */
    uint16_t rtspPort;        /* 344 */
    uint8_t reserved2[86];    /* 346 */
    uint32_t recordVersion;   /* 432: VEXA_DEVICE_INFO.recordVersion the change was built from; 0: not checked */
} VEXA_NET_PARAM;

/* Password reset by key exchange, for VEXA_ResetPasswd. Exactly one of key and keyFilePath is set. 1044 bytes. */
typedef struct VEXA_RESET_PARAM {
    char key[256];         /*   0: the key as typed */
    char keyFilePath[260]; /* 256: or the path of a file holding the key text */
    char newPassword[16];  /* 516: a 16-byte password has no terminator */
    uint8_t resetIpc;      /* 532: 1 to reset the attached cameras too */
    uint8_t reserved[511]; /* 533 */
} VEXA_RESET_PARAM;

/* Key request answers of VEXA_GetDeviceConfig: a length, then that many bytes of an XML document. */
typedef struct VEXA_KEY_REQUEST {
    uint32_t dataLength; /* 0 */
    char data[256];      /* 4 */
} VEXA_KEY_REQUEST;      /* 260 bytes, command 1 */

typedef struct VEXA_KEY_REQUEST_QR {
    uint32_t dataLength; /* 0 */
    char data[384];      /* 4 */
} VEXA_KEY_REQUEST_QR;   /* 388 bytes, command 2 */

/* Called on the library's thread for every device event. info is valid only during the call. */
typedef void (*VEXA_DEVICE_CALLBACK)(const VEXA_DEVICE_INFO* info, void* userData);

/*
 * Starts discovery: opens the socket, starts the I/O thread and sends a round of inquiries.
 * recordVersion must be 1 (the VEXA_DEVICE_INFO layout). Starting a started library fails with
 * VEXA_ERR_BAD_ARGUMENT and leaves it running. userData is handed back to the callback untouched.
 */
VEXA_API int VEXA_Start_V40(VEXA_DEVICE_CALLBACK callback, int recordVersion, void* userData);

/* Stops discovery. Once it returns, the callback is not called again. Fails when not started. */
VEXA_API int VEXA_Stop(void);

/* Asks every device to answer (a round of inquiries, repeated a few times over about 2 s). */
VEXA_API int VEXA_SendInquiry(void);

/* Forgets every device heard so far; devices that answer again are reported as new. */
VEXA_API int VEXA_Clearup(void);

/*
 * Writes the library's log to a file. level 0 turns logging off, 1 errors, 2 and 3 more detail. path null:
 * "vexa.log" in the system's temporary folder. autoDelete non-zero: the file is truncated when opened.
 */
VEXA_API int VEXA_SetLogToFile(int level, const char* path, int autoDelete);

/* videoOnly non-zero: report devices of VEXA_CLASS_VIDEO only. The other two arguments must be 0. */
VEXA_API int VEXA_SetDeviceFilterRule(int videoOnly, int reserved1, int reserved2);

/* Gives a device that is not activated its first administrator password. */
VEXA_API int VEXA_ActivateDevice(const char* serialNo, const char* password);

/*
 * Changes a device's network parameters; the device is named by its MAC address. The device refuses with
 * VEXA_ERR_DEVICE_CHANGED when it changed after params->recordVersion. When the device does not answer in time the
 * library asks it again what became of the request: success (applied), its refusal (not applied), or
 * VEXA_ERR_OUTCOME_UNKNOWN when it still does not answer (check the device). The same holds for every operation
 * that changes a device.
 *
 * An ONVIF device is also named by its serial number, address or endpoint reference; recordVersion does not apply
 * to it. Only the fields that differ from what it has are sent; the call succeeds only when the device reads back
 * the new values, after a restart at its new address when it asked for one; a host answering at the new address
 * with another serial number or MAC fails it with VEXA_ERR_NOT_BACK, and is sent no login. password null or empty:
 * the device's login (VEXA_SetOnvifCredentialsFor, or VEXA_SetOnvifCredentials); a password given goes to this one
 * device, with the user of its login.
 */
VEXA_API int VEXA_ModifyDeviceNetParam(const char* mac, const char* password, VEXA_NET_PARAM* params);

/*
 * The user name and password for every ONVIF device, those heard later too, used when a device asks for them.
 * Kept in memory only, wiped by VEXA_Stop, never logged. A null or empty user forgets them. Devices that asked for
 * a login are read again. The risky mode: any host on the link that announces itself as a camera is sent the login
 * (a digest it can guess at offline); prefer VEXA_SetOnvifCredentialsFor.
 */
VEXA_API int VEXA_SetOnvifCredentials(const char* user, const char* password);

/*
 * A login for exactly the listed ONVIF devices (by endpoint reference); those among them that asked for a login are
 * read again. A device heard later, or not listed, gets no login and stays VEXA_DETAILS_NEED_LOGIN. Devices not
 * listed keep what they had; a null or empty user drops the login of the listed ones. Fails with
 * VEXA_ERR_UNKNOWN_DEVICE, changing nothing, when one of them is not listed now. A device that leaves the list
 * (VEXA_Clearup, a confirmed Bye) loses its login. Wiped by VEXA_Stop, as above.
 */
VEXA_API int VEXA_SetOnvifCredentialsFor(const char* const* endpointReferences, uint32_t count, const char* user,
                                         const char* password);

/*
 * Where the SHA-256 digests of ONVIF devices' HTTPS certificates are pinned (trust on first use): the first
 * certificate a device shows is pinned, later ones must match, else nothing is sent and the call fails with
 * VEXA_ERR_CERTIFICATE_CHANGED. NULL or "": pins held for this run only. Read at the next VEXA_Start_V40, written
 * whole (mode 0600, replaced) when a pin is added or dropped; refused like the verdict file. The environment
 * variable VEXA_ONVIF_PIN_FILE, when set, overrides this. Any thread.
 */
VEXA_API int VEXA_SetOnvifPinFile(const char* path);

/* Forgets the pinned certificate of the ONVIF device named by its endpoint reference: its next one is pinned. */
VEXA_API int VEXA_AcceptOnvifCertificate(const char* endpointReference);

/*
 * The device's own words about the last failure on the calling thread (a SOAP fault's reason), NUL-terminated
 * and cut to size; empty when it sent none. Returns the length written.
 */
VEXA_API int VEXA_GetLastErrorDetail(char* buffer, uint32_t size);

/* Resets a forgotten password with a manufacturer key (typed in, or read from the file named). */
VEXA_API int VEXA_ResetPasswd(const char* serialNo, VEXA_RESET_PARAM* params);

/*
 * Reads device data. command VEXA_CMD_KEY_REQUEST fills a VEXA_KEY_REQUEST (outSize 260),
 * VEXA_CMD_KEY_REQUEST_QR a VEXA_KEY_REQUEST_QR (outSize 388). in and inSize are reserved (null, 0).
 */
VEXA_API int VEXA_GetDeviceConfig(const char* serialNo, uint32_t command, const void* in, uint32_t inSize, void* out,
                                  uint32_t outSize);

/*
 * Recovers a device with the day's security code from the manufacturer: the device takes newPassword as its
 * administrator password in the same step (sealed like every secret), so nobody can activate it in between.
 */
VEXA_API int VEXA_ResetDefaultPasswd(const char* serialNo, const char* securityCode, const char* newPassword);

/* The code of the last failure on the calling thread, VEXA_NOERROR after a success. */
VEXA_API uint32_t VEXA_GetLastError(void);

/* Counters of the running library, for diagnostics and tests. */
typedef struct VEXA_STATISTICS {
    uint64_t received;     /* 0: datagrams read from the socket */
    uint64_t dropped;      /* 8: datagrams dropped as malformed */
    uint64_t events;       /* 16: callback events */
    uint64_t rejected;     /* 24: device messages refused: bad signature, stale, another key, non-canonical names */
    uint64_t tableFull;    /* 32: new devices not listed because the device table is full */
    uint32_t trustedKeys;  /* 40: manufacturer keys trusted by this start (built in plus VEXA_TRUSTED_KEYS) */
    uint32_t rejectedKeys; /* 44: VEXA_TRUSTED_KEYS entries that are not valid keys */
    uint64_t interfered;   /* 48: own inquiries whose known-answer list someone else added to (asked again without) */
    uint64_t verifyQueueHighWater; /* 56: most announcements waiting for the verifier threads at once */
    uint64_t verifyDropped;        /* 64: announcements dropped because the verifiers' queue was full */
    uint32_t verifiers;            /* 72: verifier threads of this start (0: nothing to verify, no trusted key) */
    uint32_t onvifRefused;         /* 76: ONVIF ProbeMatches dropped: answers to no probe of ours */
    uint64_t onvifTrimmed;         /* 80: ONVIF types, scopes and addresses not kept: a device's share was full */
    uint64_t certificateChecks;    /* 88: device certificates verified by signature (not found among kept verdicts) */
    uint64_t signatureChecks;      /* 96: device message signatures verified */
    uint64_t verdictsKept;         /* 104: certificate verdicts held to be kept across runs */
    uint64_t verdictsLoaded;       /* 112: certificate verdicts read from the verdict file at start */
    uint64_t verdictFileRefused;   /* 120: 1 when the verdict file was ignored at start (see VEXA_SetVerdictFile) */
} VEXA_STATISTICS;                 /* 128 bytes */

/* Fills *out with the counters of the running library. Fails when not started. */
VEXA_API int VEXA_GetStatistics(VEXA_STATISTICS* out);

/*
 * Why the ONVIF device named by its endpoint reference refused the login when its details were last read (a SOAP
 * fault's reason), NUL-terminated and cut to size; empty when it did not refuse or sent no words. Fails with
 * VEXA_ERR_UNKNOWN_DEVICE when no ONVIF device with that endpoint reference is listed.
 */
VEXA_API int VEXA_GetOnvifRefusal(const char* endpointReference, char* buffer, uint32_t size);

/*
 * What the last read of the ONVIF device named by its endpoint reference could not read and why, in one line of
 * English with the device's own words, e.g. "GetNetworkProtocols: not supported; GetNetworkInterfaces: no
 * interface reported"; empty when everything was read. NUL-terminated and cut to size. Fails with
 * VEXA_ERR_UNKNOWN_DEVICE when no ONVIF device with that endpoint reference is listed.
 */
VEXA_API int VEXA_GetOnvifDetailsNote(const char* endpointReference, char* buffer, uint32_t size);

/*
 * Where the library keeps positive certificate verdicts across runs, so that a device seen before costs one
 * signature check at the next start, not two; NULL or "" keeps none. Read at the next VEXA_Start_V40, written at
 * VEXA_Stop (mode 0600, replaced whole). The file is ignored (VEXA_STATISTICS.verdictFileRefused) when it is a
 * symbolic link, not a regular file, owned by another user, writable by group or others, or malformed. The
 * environment variable VEXA_VERDICT_FILE, when set, overrides this (set empty: no file). Any thread.
 */
VEXA_API int VEXA_SetVerdictFile(const char* path);

/*
 * Whether anything answers at an IPv4 address, before a device is sent it as its new address: our inquiry sent to
 * the address, a WS-Discovery probe (VEXA_WSD_PORT), TCP connects to ports 80, 443, 554 and 8000, and an ICMP echo
 * where unprivileged ping sockets are allowed. A connection refused proves a host, except on loopback. A host that
 * answers none of these is not found (docs/protocol.md). timeoutMs 0: 1200 ms. Returns 1 when nothing answered;
 * 0 with VEXA_ERR_ADDRESS_TAKEN when something did, and what answered in whoAnswered (NUL-terminated, cut to size;
 * may be null) and in VEXA_GetLastErrorDetail. Needs a started library (its socket hears the inquiry's answer).
 * Blocks for up to timeoutMs; any thread.
 */
VEXA_API int VEXA_CheckAddressFree(const char* ipv4, uint32_t timeoutMs, char* whoAnswered, uint32_t size);

/* One address of VEXA_CheckAddressesFree. 272 bytes. */
typedef struct VEXA_ADDRESS_CHECK {
    char ipv4Address[16];  /*  0: in */
    uint32_t result;       /* 16: out: VEXA_NOERROR, VEXA_ERR_ADDRESS_TAKEN or VEXA_ERR_BAD_ARGUMENT */
    char whoAnswered[252]; /* 20: out: what answered, NUL-terminated and cut to size */
} VEXA_ADDRESS_CHECK;      /* 272 bytes */

/* Progress of VEXA_CheckAddressesFree, on one of its threads, after each address: how many are done of how many,
 * and the time since the call began. Must not block. */
typedef void (*VEXA_CHECK_PROGRESS)(uint32_t done, uint32_t total, uint32_t elapsedMs, void* userData);

/*
 * VEXA_CheckAddressFree for count addresses (at most 65536), 64 at once, so that a batch of 256 takes about four
 * time-outs (5 s). Each record gets its own result. Returns 1 when nothing answered at any address; 0 with
 * VEXA_ERR_ADDRESS_TAKEN when something answered at one or more, VEXA_ERR_BAD_ARGUMENT when an address is not a
 * host's IPv4 address (the others are still checked). progress may be null.
 */
VEXA_API int VEXA_CheckAddressesFree(VEXA_ADDRESS_CHECK* checks, uint32_t count, uint32_t timeoutMs,
                                     VEXA_CHECK_PROGRESS progress, void* userData);

/*
 * Media of ONVIF devices: the profiles a device streams, where, and its snapshots. Stream and snapshot addresses
 * whose host is not the one the device is reached at (a device behind NAT, or one naming another interface) are
 * rewritten to that host; the address as given is kept beside it. User names and passwords in an address are
 * dropped, never copied. Texts are NUL-padded; one that does not fit its field is left empty and named in note.
 */
#define VEXA_CAN_READ_MEDIA 0x0800 /* its media profiles, stream and snapshot addresses (VEXA_GetOnvifMedia) */
#define VEXA_CAN_SNAPSHOT 0x1000   /* a picture of what it sees (VEXA_GetOnvifSnapshot) */

typedef struct VEXA_MEDIA_PROFILE {
    char token[64];                /*    0: the device's name for the profile, to ask for its snapshot */
    char name[64];                 /*   64 */
    char encoding[16];             /*  128: e.g. "H264", "H265", "JPEG" as the device writes it */
    uint32_t width;                /*  144: pixels; 0 when not given */
    uint32_t height;               /*  148 */
    uint32_t frameRate;            /*  152: frames per second, rounded; 0 when not given */
    uint32_t reserved;             /*  156 */
    char streamUri[256];           /*  160: RTSP, at the address the device is reached at; empty: see note */
    char streamUriOriginal[256];   /*  416: as the device gave it, when its host was rewritten; else empty */
    char snapshotUri[256];         /*  672: HTTP(S), likewise; empty: the device gives none (see note) */
    char snapshotUriOriginal[256]; /*  928 */
    char note[160];                /* 1184: what of this profile could not be read and why; empty when all was */
} VEXA_MEDIA_PROFILE;              /* 1344 bytes */

typedef struct VEXA_MEDIA_INFO {
    uint32_t profileCount; /*   0: profiles the device has (more than were written when capacity is smaller) */
    uint8_t mediaVersion;  /*   4: 2 when read from the newer media service, 1 from the older */
    uint8_t clockKnown;    /*   5: 1 when clockOffset was read */
    uint8_t reserved[2];   /*   6 */
    int32_t clockOffset;   /*   8: the device's clock minus ours, in seconds */
    uint32_t reserved2;    /*  12 */
    char serviceUrl[128];  /*  16: the media service as used */
    char note[368];        /* 144: what could not be read and why, one line with the device's words */
} VEXA_MEDIA_INFO;         /* 512 bytes */

/*
 * Reads the media profiles of the ONVIF device named as for VEXA_ModifyDeviceNetParam (serial number, MAC, address or
 * endpoint reference) with its login: the newer media service where offered, the older otherwise. Writes up to
 * capacity profiles (profiles may be null when capacity is 0). Each address stands alone: a profile whose stream or
 * snapshot could not be read keeps the rest and says why in its note. Fails only when not even the profiles could
 * be read (the device's words in VEXA_GetLastErrorDetail). Blocks for the requests (about 2 + 2 per profile); any
 * thread.
 */
VEXA_API int VEXA_GetOnvifMedia(const char* name, VEXA_MEDIA_INFO* info, VEXA_MEDIA_PROFILE* profiles,
                                uint32_t capacity);

/*
 * Fetches a snapshot (usually JPEG) of the ONVIF device's profile named by token (null or empty: the first profile
 * that has one) into buffer, with the device's login by HTTP Digest, only from the address the device is reached at,
 * at most 4 MiB. *written gets its length. VEXA_ERR_NOT_SUPPORTED when the device gives no snapshot address (why in
 * VEXA_GetLastErrorDetail), VEXA_ERR_BUFFER_TOO_SMALL (with the length needed in *written) when it does not fit,
 * VEXA_ERR_BAD_ANSWER when it is larger than 4 MiB. Blocks; any thread.
 */
VEXA_API int VEXA_GetOnvifSnapshot(const char* name, const char* token, void* buffer, uint32_t size, uint32_t* written);

/*
 * Address-range scans: devices behind a router, which multicast discovery does not reach. Each address is sent our
 * inquiry (VEXA_PORT) and a WS-Discovery probe per type (VEXA_WSD_PORT), unicast; an answer counts only when it
 * comes from the address asked and answers an id asked there. Devices found are reported through the device
 * callback as discovery reports them; ours are not timed out (our multicast does not reach them), VEXA_Clearup
 * forgets them.
 */

/* VEXA_SCAN_RESULT.reason. */
#define VEXA_SCAN_FOUND 0         /* a device answered (protocols says which) */
#define VEXA_SCAN_NO_ANSWER 1     /* nothing answered */
#define VEXA_SCAN_PORT_CLOSED 2   /* the host said the ports are closed (ICMP port unreachable, connection refused) */
#define VEXA_SCAN_NOT_CAMERA 3    /* something answered, but neither our device nor an ONVIF device */
#define VEXA_SCAN_REFUSED_LOGIN 4 /* an HTTP service there asked for a login before it would answer (fallback) */

/* VEXA_SCAN_RESULT.protocols. */
#define VEXA_SCAN_OURS 0x01
#define VEXA_SCAN_ONVIF 0x02

/* How to scan. Zero gives a field its default, except retries (0: none; 0xFF: the default). 64 bytes. */
typedef struct VEXA_SCAN_PARAM {
    uint32_t rate;         /*  0: tries per second (a silent address takes 1 + retries); 0: 400 */
    uint32_t maxInFlight;  /*  4: addresses waiting for an answer at once (at most 4096); 0: 1024 */
    uint32_t timeCapMs;    /*  8: the whole scan at most; 0: 30 minutes */
    uint32_t answerWaitMs; /* 12: how long one try waits for an answer; 0: 1000 */
    uint8_t retries;       /* 16: further tries of an address that answered nothing (at most 3); 0xFF: 1 */
    uint8_t allowPublic;   /* 17: 1 to allow addresses outside the private, link-local and loopback blocks */
    uint8_t httpFallback;  /* 18: 1 to ask GetSystemDateAndTime over HTTP where no probe was answered */
    uint8_t reserved1;     /* 19 */
    uint16_t httpPorts[4]; /* 20: ports of the HTTP fallback, 0 ends the list; all 0: 80, 8080, 8000 */
    uint8_t reserved2[36]; /* 28 */
} VEXA_SCAN_PARAM;         /* 64 bytes */

/* One settled address. 32 bytes. */
typedef struct VEXA_SCAN_RESULT {
    char ipv4Address[16]; /*  0 */
    uint32_t reason;      /* 16: VEXA_SCAN_FOUND ... VEXA_SCAN_REFUSED_LOGIN */
    uint8_t protocols;    /* 20: VEXA_SCAN_OURS, VEXA_SCAN_ONVIF */
    uint8_t reserved[11]; /* 21 */
} VEXA_SCAN_RESULT;       /* 32 bytes */

/* Called once per address when it is settled (found, or why not), with how many are settled of how many. Runs on
 * the scanning thread or on one of its HTTP threads, one call at a time. Must not block. */
typedef void (*VEXA_SCAN_CALLBACK)(const VEXA_SCAN_RESULT* result, uint64_t done, uint64_t total, void* userData);

/*
 * Scans ranges: CIDR blocks (network and broadcast addresses left out), "A-B" spans and single addresses, separated
 * by commas, semicolons or spaces; at most 256 pieces and 1,048,576 addresses. Blocks until the scan is done,
 * VEXA_StopScan is called or the time cap passes (addresses not settled by then are not reported). Fails with
 * VEXA_ERR_BAD_ARGUMENT for a malformed range (VEXA_GetLastErrorDetail names the piece), VEXA_ERR_PUBLIC_RANGE
 * for a public address without allowPublic, VEXA_ERR_BUSY while another scan runs, VEXA_ERR_TIMEOUT when the time
 * cap ended it. param and callback may be null. Needs a started library. Any thread but the callback's.
 */
VEXA_API int VEXA_ScanRanges(const char* ranges, const VEXA_SCAN_PARAM* param, VEXA_SCAN_CALLBACK callback,
                             void* userData);

/* Ends the running scan soon; its VEXA_ScanRanges returns 1. Any thread; fails when no scan runs. */
VEXA_API int VEXA_StopScan(void);

/*
 * Clocks and user passwords of ONVIF devices. The calls name a device as VEXA_ModifyDeviceNetParam does and block
 * until it answers (a few seconds); any thread. Passwords are never logged.
 */
#define VEXA_ERR_PASSWORD_NOT_TAKEN 2042 /* the device accepted the new password, but signing in with it fails */

#define VEXA_CAN_READ_CLOCK 0x2000        /* its clock is read without a login (VEXA_GetDeviceClock) */
#define VEXA_CAN_SET_TIME 0x4000          /* VEXA_SetDeviceTime */
#define VEXA_CAN_SET_USER_PASSWORD 0x8000 /* the signed-in user's own password (VEXA_SetUserPassword) */

/* Bits of VEXA_CLOCK_INFO.flags. */
#define VEXA_CLOCK_NTP 0x01           /* it takes its time from NTP servers */
#define VEXA_CLOCK_DST 0x02           /* daylight saving time is on */
#define VEXA_CLOCK_NTP_READ 0x04      /* ntpServers was read (it may need a login) */
#define VEXA_CLOCK_NTP_FROM_DHCP 0x08 /* its NTP servers come from DHCP */
#define VEXA_CLOCK_ZONE_REFUSED 0x10  /* VEXA_SetDeviceTime: it refused the time zone; the time was set without it */
#define VEXA_CLOCK_READ 0x20          /* the clock was read: offsetSeconds, timeZone and the bits above hold */

/* A device's clock. Texts NUL-terminated. 256 bytes. */
typedef struct VEXA_CLOCK_INFO {
    int32_t offsetSeconds; /*   0: its UTC minus this computer's, when read */
    uint32_t flags;        /*   4: VEXA_CLOCK_* */
    char timeZone[64];     /*   8: as the device gives it, e.g. "CET-1CEST,M3.5.0,M10.5.0/3" */
    char ntpServers[128];  /*  72: comma separated, when VEXA_CLOCK_NTP_READ */
    uint8_t reserved[56];  /* 200 */
} VEXA_CLOCK_INFO;

/* What VEXA_SetDeviceTime sets. Texts NUL-padded. 256 bytes. */
typedef struct VEXA_TIME_PARAM {
    char ntpServers[128]; /*   0: empty: this computer's UTC, set by hand; else NTP from these (comma separated, 1-4) */
    char timeZone[64];    /* 128: a POSIX time zone to set; empty: the device keeps its own */
    uint8_t reserved[64]; /* 192 */
} VEXA_TIME_PARAM;

/*
 * Reads an ONVIF device's clock (GetSystemDateAndTime, no login needed) and, with the device's login when it has one,
 * its NTP servers. Fails with VEXA_ERR_NOT_SUPPORTED for a device that has no such clock.
 */
VEXA_API int VEXA_GetDeviceClock(const char* name, VEXA_CLOCK_INFO* out);

/*
 * Sets the device's time with its login: by hand to this computer's UTC, or NTP from params->ntpServers; and the time
 * zone when given. A device that refuses the time zone is asked again without it (VEXA_CLOCK_ZONE_REFUSED in after).
 * Succeeds only when the clock reads back within 2 s of ours (by hand) or the NTP servers read back as sent. before
 * and after (either may be null) get the clock as read before and after.
 */
VEXA_API int VEXA_SetDeviceTime(const char* name, const VEXA_TIME_PARAM* params, VEXA_CLOCK_INFO* before,
                                VEXA_CLOCK_INFO* after);

/*
 * Changes the password of the user the device is signed in as (its login) to newPassword (1-64 bytes, printable).
 * Done only when a sign-in with the new password succeeds: else VEXA_ERR_PASSWORD_NOT_TAKEN, and the detail says
 * whether the old one still works. Then the device's login uses the new password. Lock-out safe: one call per
 * device at a time (a second waits), and after two refused sign-ins on a device nothing more is sent to it
 * (VEXA_ERR_DEVICE_REFUSED) until a login is given again (VEXA_SetOnvifCredentials*). Counts for
 * VEXA_SetDeviceTime too.
 */
VEXA_API int VEXA_SetUserPassword(const char* name, const char* newPassword);

#ifdef __cplusplus
}
#endif

#endif /* VEXA_H */
