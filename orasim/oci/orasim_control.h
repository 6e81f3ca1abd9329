/* The simulated server's control interface, for tests in the same process (the static library) or
   through the loaded library (OCI.DLL, libclntsh.so exported by name). C linkage; every call is
   safe at any time, also before the first OCI call. */
#ifndef ORASIM_CONTROL_H
#define ORASIM_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Replaces the database with a definition given as text (the format of orasim.txt). Returns 0, or
   -1 with the loader's "definition, line N: fault" in orasim_last_error(); attaches then fail with
   that text until a good definition is loaded. A reset reloads this text. NULL forgets the text: the
   next attach loads the file (ORASIM_DEFINITION, else orasim.txt beside the library) again. */
int orasim_load_definition(const char* text);

/* The text of the last failing control call; "" when none failed. Valid until the next control call. */
const char* orasim_last_error(void);

/* Ends every session and connection (their handles then answer ORA-03114), clears faults, drops and
   the round-trip count, rereads ORASIM_TRACE, ORASIM_LATENCY_MS and ORASIM_FAULTS, and reloads the
   definition from its source. Handles stay the client's to free. */
void orasim_reset(void);

/* Calls that reached the server since the start or the last orasim_reset_round_trips. */
unsigned long long orasim_round_trips(void);
void orasim_reset_round_trips(void);

/* Handles and descriptors allocated and not yet freed, in the whole process. */
unsigned orasim_live_handles(void);
/* Sessions begun and not ended, over connections that are still up. */
unsigned orasim_live_sessions(void);

/* "VALID", "INVALID" or "N/A"; "" when there is no such object or no definition is loaded (names in
   UTF-8, as stored: case counts).
   Valid until the next control call. */
const char* orasim_object_status(const char* owner, const char* type, const char* name);

/* The call-th call (from 1, counted from now) of the OCI function fails with ORA-code. Returns 0, or
   -1 when the function is not one that can fail this way (see orasim_last_error). */
int orasim_inject_fault(const char* function, unsigned call, int code);
/* Adds the faults of a list in the ORASIM_FAULTS format. Returns 0, or -1 with the reason. */
int orasim_set_faults(const char* spec);
/* The connection in use drops at the round_trips-th round trip from now (ORA-03113 on that call,
   ORA-03114 on every later call over it). 0 cancels. */
void orasim_drop_after(unsigned round_trips);
/* Removes every injected fault and the drop. */
void orasim_clear_faults(void);

/* Milliseconds added to every round trip. */
void orasim_set_latency_ms(unsigned ms);
/* The file that gets one line per round trip (appended to); NULL or "" stops tracing. Returns 0, or
   -1 when the file cannot be opened for writing (tracing then stays as it was). */
int orasim_set_trace_file(const char* path);

#ifdef __cplusplus
}
#endif

#endif
