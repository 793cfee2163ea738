#pragma once
// The link ORL of the current trace, kept in its record's KeyEvents ORL field until the events change.
class COtdrDoc;
struct SorRecord;

/// The link ORL a record stores (dB): kMissingValue when the field is 0, as instruments store an ORL
/// they did not measure. A trace that is not the document's shows this one.
float StoredLinkOrl(const SorRecord& record);

/// The link ORL (dB): recomputed from the event table and stored in the record when the events
/// changed since the last use (LinkOrlDirty), else read from the record; either way kept as the
/// measured link ORL of the pass/fail record. kMissingValue when the file stores none (0) or no end
/// row leaves anything to measure.
float TakeLinkOrl(COtdrDoc& doc);

/// The link ORL TakeLinkOrl would give, leaving the record and the dirty flag as they are.
float PeekLinkOrl(const COtdrDoc& doc);
