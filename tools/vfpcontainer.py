"""Write Visual FoxPro tables and database containers for tests and the demo school.

The administration program keeps its data in a Visual FoxPro database container: a .DBC file
(itself a VFP table, with its memo file .DCT) whose rows name the member tables, each a .DBF with
an optional .FPT memo file. This module writes such files with python3-dbf, an independent VFP
writer, and mends afterwards what python3-dbf gets wrong, so that the result matches files written
by Visual FoxPro itself.

Run with Debian's interpreter (/usr/bin/python3), which has python3-dbf.

Limits of python3-dbf 0.96 that callers must know:
- No V (varchar), Q (varbinary), W (blob) fields and no autoincrement: tables are version 0x30.
- Its _NullFlags bits are numbered by field index, while Visual FoxPro hands them out in
  sequence to the nullable fields only. Both agree only when the nullable fields come first in
  the table, so declare nullable fields first (or make none nullable and write blanks: readers
  turn all-blank character fields into NULL).
- It leaves the table-flags byte 0, cannot set the binary flag on I fields, writes no
  end-of-file marker and leaves the last memo block short; create_table() and write_container()
  mend all of these afterwards.
- It stamps today's date as the last update; pass `updated` to get byte-identical files.
- It cannot write a container; write_container() builds one as an ordinary VFP table.
- No index files: neither .CDX for the tables nor .DCX for the container are written. The
  container still carries the flags 0x07 that Visual FoxPro gives every container.
- dbfread (used to check results) looks for a .FPT beside the container and so cannot open the
  .DCT; read the container with its own reader or through a copy named .FPT.
- dbf.Null writes NULL (null bit set), None writes the blank value.
- It strips leading blanks from text; create_table() writes the text fields again as given, so
  right-aligned keys such as "    12" keep their blanks.
"""

import os
import struct

import dbf

# Table flags (header byte 28).
FLAG_CDX = 0x01
FLAG_MEMO = 0x02
FLAG_DBC = 0x04

# Field flags (descriptor byte 18).
FIELD_BINARY = 0x04

# Visual FoxPro marks these fixed-width binary types as binary (no code-page translation).
_BINARY_TYPES = b'IYTB'

_HEADER_SIZE = 32
_DESCRIPTOR_SIZE = 32
_BACKLINK_SIZE = 263


def _patch_header(path, table_flags, updated=None):
    """Set the table flags, the binary flag of I/Y/T/B fields and optionally the update date."""
    with open(path, 'r+b') as f:
        head = bytearray(f.read(_HEADER_SIZE))
        header_length = struct.unpack_from('<H', head, 8)[0]
        f.seek(0)
        rest = bytearray(f.read(header_length))
        rest[28] = table_flags
        if updated is not None:
            rest[1:4] = bytes([updated.year % 100, updated.month, updated.day])
        offset = _HEADER_SIZE
        while offset + _DESCRIPTOR_SIZE <= header_length and rest[offset] != 0x0D:
            if rest[offset + 11] in _BINARY_TYPES:
                rest[offset + 18] |= FIELD_BINARY
            offset += _DESCRIPTOR_SIZE
        f.seek(0)
        f.write(rest)
        # Visual FoxPro ends the table with an end-of-file marker; python3-dbf writes none.
        count, _, record_length = struct.unpack_from('<IHH', rest, 4)
        f.seek(0, os.SEEK_END)
        if f.tell() == header_length + count * record_length:
            f.write(b'\x1a')


def _pad_memo(path):
    """Pad the memo file to its next free block, as Visual FoxPro leaves it."""
    with open(path, 'r+b') as f:
        head = f.read(8)
        next_free = struct.unpack_from('>I', head, 0)[0]
        block_size = struct.unpack_from('>H', head, 6)[0]
        f.seek(0, os.SEEK_END)
        size = f.tell()
        if size < next_free * block_size:
            f.write(b'\0' * (next_free * block_size - size))


def _read_descriptors(f):
    """(name, type, displacement, length, flags) of every field, in file order."""
    f.seek(0)
    head = f.read(_HEADER_SIZE)
    header_length = struct.unpack_from('<H', head, 8)[0]
    block = f.read(header_length - _HEADER_SIZE)
    fields = []
    for offset in range(0, len(block) - _DESCRIPTOR_SIZE + 1, _DESCRIPTOR_SIZE):
        if block[offset] == 0x0D:
            break
        d = block[offset:offset + _DESCRIPTOR_SIZE]
        fields.append((d[:11].rstrip(b'\0').decode('ascii'), chr(d[11]),
                       struct.unpack_from('<I', d, 12)[0], d[16], d[18]))
    return fields


def _rewrite_text_fields(path, records, encoding):
    """Write the character values exactly as given.

    python3-dbf strips leading blanks from text, which would turn the right-aligned keys
    ("    12") into left-aligned ones; so the text fields are written again here, padded
    on the right only.
    """
    with open(path, 'r+b') as f:
        fields = [fd for fd in _read_descriptors(f) if not fd[4] & 0x01]  # skip _NullFlags
        f.seek(0)
        head = f.read(_HEADER_SIZE)
        count, header_length, record_length = struct.unpack_from('<IHH', head, 4)
        if count != len(records):
            raise RuntimeError('%s: %d records written, %d expected' % (path, count, len(records)))
        for number, record in enumerate(records):
            base = header_length + number * record_length
            for (name, kind, displacement, length, _), value in zip(fields, record):
                if kind != 'C' or not isinstance(value, str):
                    continue
                raw = value.encode(encoding)
                if len(raw) > length:
                    raise ValueError('%s: %s is longer than %d: %r' % (path, name, length, value))
                f.seek(base + displacement)
                f.write(raw.ljust(length, b' '))


def _has_memo(table):
    return any(table.field_info(name).field_type in (dbf.FieldType.MEMO, dbf.FieldType.GENERAL,
                                                     dbf.FieldType.PICTURE)
               for name in table.field_names)


def create_table(path, layout, records, codepage='cp1252', container='QZ.DBC', updated=None):
    """Write one Visual FoxPro table that belongs to a container.

    path: the .dbf file (a .fpt memo file is written beside it when memo fields exist).
    layout: python3-dbf field list, e.g. 'KO_ID C(6); KO_KURSPH C(4); KO_BEMERK M'.
    records: iterable of tuples in field order; dbf.Null for NULL, None for a blank value.
    codepage: python3-dbf code page name ('cp1252', 'cp850', 'cp437', ...); sets the mark.
    container: the container's file name for the 263-byte backlink; '' for a free table.
    updated: a datetime.date for the header's last-update date (default: today).
    Returns the number of records written.
    """
    table = dbf.Table(path, layout, dbf_type='vfp', codepage=codepage, memo_size=64)
    try:
        table.open(dbf.READ_WRITE)
        backlink = container.encode('cp1252')
        if len(backlink) >= _BACKLINK_SIZE:
            raise ValueError('container path too long for the backlink: %r' % container)
        table._meta.header.extra = backlink.ljust(_BACKLINK_SIZE, b'\0')
        has_memo = _has_memo(table)
        memo_path = table._meta.memoname if has_memo else None
        records = [tuple(record) for record in records]
        for record in records:
            table.append(record)
        count = len(records)
    finally:
        table.close()
    _rewrite_text_fields(path, records, codepage)
    _patch_header(path, FLAG_MEMO if has_memo else 0, updated)
    if has_memo:
        _pad_memo(memo_path)
    return count


# Property ids of the container's PROPERTY memo entries.
PROP_PATH = 0x01        # Table: file path relative to the container's folder
PROP_CLASS = 0x02       # Table: 1 for a table (as opposed to a view)
PROP_DBC_VERSION = 0x18  # Database: container format version


def property_entry(prop_id, value):
    """One PROPERTY entry: u32 total length, u16 1, u8 id, value (strings NUL-terminated)."""
    if isinstance(value, str):
        value = value.encode('cp1252') + b'\0'
    return struct.pack('<IHB', 7 + len(value), 1, prop_id) + value


_DBC_SPEC = ('OBJECTID I; PARENTID I; OBJECTTYPE C(10); OBJECTNAME C(128); '
             'PROPERTY M binary; CODE M binary; RIINFO C(6); USER M')


def write_container(dbc_path, tables, updated=None):
    """Write a database container (.DBC and .DCT) naming the given tables.

    dbc_path: the container file, e.g. 'out/QZ.DBC'; its memo file gets the extension .DCT in the
    same letter case.
    tables: list of (table_name, file_name, [long field names]) in the order they should appear;
    file_name is relative to the container's folder; the long field names are given in the
    table's field order.
    updated: a datetime.date for the header's last-update date (default: today).

    The rows follow what Visual FoxPro writes for a new container: the Database row and its four
    standard child rows, then per table one Table row followed by its Field rows (PARENTID = the
    table's OBJECTID). Names are stored in lower case, as Visual FoxPro stores them.
    """
    base, ext = os.path.splitext(dbc_path)
    if ext.upper() != '.DBC':
        raise ValueError('container file must end in .DBC: %r' % dbc_path)
    memo_ext = '.DCT' if ext.isupper() else '.dct'
    # python3-dbf insists on .dbf/.fpt; write under those names and rename.
    tmp_base = base + '.container-tmp'
    tmp_dbf, tmp_fpt = tmp_base + '.dbf', tmp_base + '.fpt'

    rows = []

    def add(parent, kind, name, props=b''):
        object_id = len(rows) + 1
        rows.append((object_id, parent, kind, name, props or None, None, None, None))
        return object_id

    db_id = add(1, 'Database', 'Database',
                property_entry(PROP_DBC_VERSION, struct.pack('>I', 10)))
    for name in ('TransactionLog', 'StoredProceduresSource', 'StoredProceduresObject',
                 'StoredProceduresDependencies'):
        add(db_id, 'Database', name)
    for table_name, file_name, field_names in tables:
        if os.path.isabs(file_name) or '..' in file_name.replace('\\', '/').split('/'):
            raise ValueError('table path must stay inside the container folder: %r' % file_name)
        table_id = add(db_id, 'Table', table_name.lower(),
                       property_entry(PROP_CLASS, b'\x01') + property_entry(PROP_PATH, file_name))
        for field in field_names:
            add(table_id, 'Field', field.lower())

    create_table(tmp_dbf, _DBC_SPEC, rows, codepage='cp1252', container='', updated=updated)
    _patch_header(tmp_dbf, FLAG_CDX | FLAG_MEMO | FLAG_DBC, updated)
    os.replace(tmp_dbf, dbc_path)
    os.replace(tmp_fpt, base + memo_ext)
    return len(rows)


__all__ = ['create_table', 'write_container', 'property_entry',
           'PROP_PATH', 'PROP_CLASS', 'PROP_DBC_VERSION']
