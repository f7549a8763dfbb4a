#!/usr/bin/env python3
"""Generates the decoder tables from engines/data/x86.tbl.

    gen_tables.py            rewrite engines/generated/*.inc
    gen_tables.py --check    exit 1 if the committed files differ from what the table gives

The output is a tree of selector nodes per opcode: each node picks a child by one property of
the encoding (mandatory prefix, VEX.W, VEX.L, ModRM.mod, ModRM.reg, ModRM.rm, operand size,
address size) until a leaf names the instruction and its operand forms.
"""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
TABLE = os.path.join(ROOT, 'data', 'x86.tbl')
OUT_MNEMONICS = os.path.join(ROOT, 'generated', 'x86_mnemonics.inc')
OUT_TABLES = os.path.join(ROOT, 'generated', 'x86_tables.inc')

# Selector dimensions, in the order the decoder tests them, with their number of values.
DIMS = [('pfx', 4), ('w', 2), ('l', 2), ('mod', 2), ('reg', 8), ('rm', 8), ('osz', 2), ('asz', 2)]
DIM_NODE = {'pfx': 'SelPrefix', 'w': 'SelVexW', 'l': 'SelVexL', 'mod': 'SelMod', 'reg': 'SelReg',
            'rm': 'SelRm', 'osz': 'SelOpSize', 'asz': 'SelAddrSize'}
MAPS = ['1', '0F', '0F38', '0F3A', 'V1', 'V2', 'V3']

# Size codes shared with the decoder (x86_internal.h).
SIZES = {'b': 1, 'w': 2, 'd': 4, 'q': 8, 'dq': 16, 'qq': 32, 't': 10, 'ss': 4, 'sd': 8,
         'v': 0x81, 'z': 0x81, 'x': 0x82, 'p': 0x83, 'a': 0x84, 'env': 0x85, 'save': 0x86,
         's': 6, '': 0}

FIXED = {  # name -> (class, register number, size)
    'AL': ('Gpr', 0, 1), 'CL': ('Gpr', 1, 1), 'DX': ('Gpr', 2, 2), 'AX': ('Gpr', 0, 2),
    'eAX': ('Gpr', 0, 0x81), 'ES': ('Seg', 0, 2), 'CS': ('Seg', 1, 2), 'SS': ('Seg', 2, 2),
    'DS': ('Seg', 3, 2), 'FS': ('Seg', 4, 2), 'GS': ('Seg', 5, 2), 'ST': ('St', 0, 10),
    'XMM0': ('Xmm', 0, 16),
}


def operand_spec(code):
    """(kind, class, register size, memory size, flags, fixed register number)."""
    if code in FIXED:
        cls, num, size = FIXED[code]
        return ('Fixed', cls, size, 0, 0, num)
    if code == '1':
        return ('One', 'None', 1, 0, 0, 0)
    if code == 'Xlat':
        return ('Xlat', 'None', 0, 1, 0, 0)
    if code == 'STi':
        return ('Rm', 'St', 10, 0, 'RegOnly', 0)
    m = re.fullmatch(r'(Rd)M(b|w)', code)
    if m:
        return ('Rm', 'Gpr', 4, SIZES[m.group(2)], 0, 0)
    if code == 'EvMw':
        return ('Rm', 'Gpr', 0x81, 2, 0, 0)
    kind_of = {
        'E': ('Rm', 'Gpr', None), 'R': ('Rm', 'Gpr', 'RegOnly'), 'M': ('Rm', 'Gpr', 'MemOnly'),
        'G': ('Reg', 'Gpr', None), 'S': ('Reg', 'Seg', None), 'C': ('Reg', 'Cr', None),
        'D': ('Reg', 'Dr', None), 'P': ('Reg', 'Mm', None), 'Q': ('Rm', 'Mm', None),
        'N': ('Rm', 'Mm', 'RegOnly'), 'V': ('Reg', 'Xmm', None), 'W': ('Rm', 'Xmm', None),
        'U': ('Rm', 'Xmm', 'RegOnly'), 'H': ('Vvvv', 'Xmm', None), 'L': ('Is4', 'Xmm', None),
        'B': ('Vvvv', 'Gpr', None), 'I': ('Imm', 'None', None), 'J': ('Rel', 'None', None),
        'O': ('Moffs', 'None', None), 'A': ('Far', 'None', None), 'Z': ('OpReg', 'Gpr', None),
        'X': ('StrSrc', 'None', None), 'Y': ('StrDst', 'None', None),
    }
    if code == 'Ibs':
        return ('ImmSx', 'None', 0x81, 0, 0, 0)
    if code == 'Ib2':
        return ('Imm2', 'None', 1, 0, 0, 0)
    if code == 'By':
        return ('Vvvv', 'Gpr', 4, 0, 0, 0)
    kind, cls, flags = kind_of[code[0]]
    size = SIZES[code[1:]]
    if code[0] in 'VWUHL':
        reg_size = 0x82 if code[1:] == 'x' else 16
        mem_size = size
    elif code[0] in 'PQN':
        reg_size = 8
        mem_size = size
    elif code[0] == 'M':
        reg_size = 0
        mem_size = size
    elif code[0] in 'SCD':
        reg_size = 2 if code[0] == 'S' else 4
        mem_size = 2
    else:
        reg_size = size
        mem_size = size
    return (kind, cls, reg_size, mem_size, flags or 0, 0)


class Entry:
    def __init__(self, m, opcode, conds, mnemonic, ops, flags, line):
        self.map, self.opcode, self.mnemonic, self.ops, self.flags, self.line = \
            m, opcode, mnemonic, ops, set(flags), line
        self.cond = dict.fromkeys([d for d, _ in DIMS])
        self.modrm = False
        for c in conds:
            self.apply(c)
        if any(o not in FIXED and o[0] in 'EGRMSCDPQNVWUL' for o in ops):
            self.modrm = True

    def apply(self, c):
        pfx = {'np': 0, '66': 1, 'F3': 2, 'F2': 3}
        if c in pfx:
            self.cond['pfx'] = pfx[c]
        elif re.fullmatch(r'/[0-7]', c):
            self.cond['reg'] = int(c[1])
            self.modrm = True
        elif c in ('mem', 'reg'):
            self.cond['mod'] = 0 if c == 'mem' else 1
            self.modrm = True
        elif c.startswith('rm='):
            self.cond['rm'] = int(c[3:])
            self.modrm = True
        elif c in ('o16', 'o32'):
            self.cond['osz'] = 0 if c == 'o16' else 1
        elif c in ('a16', 'a32'):
            self.cond['asz'] = 0 if c == 'a16' else 1
        elif c in ('w0', 'w1'):
            self.cond['w'] = int(c[1])
        elif c in ('l0', 'l1'):
            self.cond['l'] = int(c[1])
        elif c == '/r':
            self.modrm = True
        else:
            raise SystemExit(f'unknown condition {c!r}')

    def specificity(self):
        return sum(v is not None for v in self.cond.values())


NO_NDS = set('''movaps movapd movups movupd movdqa movdqu movd movq movss movsd movntps movntpd
movntdq movntdqa lddqu movmskps movmskpd pmovmskb pshufd pshufhw pshuflw ptest comiss comisd
ucomiss ucomisd sqrtps sqrtpd rsqrtps rcpps movsldup movshdup movddup pabsb pabsw pabsd
phminposuw aesimc aeskeygenassist pcmpestrm pcmpestri pcmpistrm pcmpistri extractps pextrb
pextrw pextrd roundps roundpd maskmovdqu cvtdq2ps cvtps2dq cvttps2dq cvtps2pd cvtpd2ps cvtdq2pd
cvttpd2dq cvtpd2dq cvttss2si cvttsd2si cvtss2si cvtsd2si'''.split())


# VEX.128-only instructions (VEX.L=1 is #UD) and those whose registers are XMM whatever L.
L0_ONLY = set('''movd movq movlps movhps movlpd movhpd movhlps movlhps pinsrw pinsrb pinsrd
pextrw pextrb pextrd extractps insertps aesimc aeskeygenassist phminposuw pcmpestrm pcmpestri
pcmpistrm pcmpistri maskmovdqu'''.split())
XMM_ONLY = L0_ONLY | {'comiss', 'comisd', 'ucomiss', 'ucomisd'}
SHIFTS = set('psrlw psrld psrlq psraw psrad psllw pslld psllq'.split())


def parse():
    entries = []
    for n, raw in enumerate(open(TABLE, encoding='utf-8'), 1):
        line = raw.split('#', 1)[0].strip()
        if not line:
            continue
        left, right = [s.strip() for s in line.split(':', 1)]
        words = left.split()
        m = '1'
        if words[0] in ('V1', 'V2', 'V3'):
            m = words.pop(0)
        elif words[0] == '0F':
            words.pop(0)
            m = '0F'
            if words[0] in ('38', '3A') and len(words) > 1 and re.fullmatch(r'[0-9A-F]{2}(\+r|-[0-9A-F]{2})?', words[1]):
                m = '0F' + words.pop(0)
        opword = words.pop(0)
        if opword.endswith('+r'):
            base = int(opword[:-2], 16)
            opcodes = [(base + i, i) for i in range(8)]
        elif '-' in opword:
            a, b = [int(x, 16) for x in opword.split('-')]
            opcodes = [(i, i & 7) for i in range(a, b + 1)]
        else:
            opcodes = [(int(opword, 16), None)]
        conds = words
        rwords = right.split()
        mnemonic = rwords[0]
        ops, flags = [], []
        for w in rwords[1:]:
            if w.startswith('!'):
                flags.append(w[1:])
            else:
                ops = w.split(',')
        for op, _ in opcodes:
            entries.extend(expand(m, op, conds, mnemonic, ops, flags, n))
    return entries


def expand(m, op, conds, mnemonic, ops, flags, n):
    """Applies the shorthand conditions mx, sse4, sse2 and fma."""
    out = []
    rest = [c for c in conds if c not in ('mx', 'sse4', 'sse2', 'fma')]
    if 'mx' in conds:
        extra = [o for o in ops if o != 'Qd']
        mmx = ['Pq', 'Qd' if 'Qd' in ops else 'Qq'] + extra
        out.append(Entry(m, op, rest + ['np'], mnemonic, mmx, flags, n))
        out.append(Entry(m, op, rest + ['66'], mnemonic, ['Vx', 'Wx'] + extra, flags, n))
    elif 'sse4' in conds or 'sse2' in conds:
        forms = [('np', 'ps', 'Wx'), ('66', 'pd', 'Wx'), ('F3', 'ss', 'Wss'), ('F2', 'sd', 'Wsd')]
        if 'sse2' in conds:
            forms = forms[:2]
        for p, suffix, w in forms:
            out.append(Entry(m, op, rest + [p], mnemonic + suffix, ['Vx', w], flags, n))
    elif 'fma' in conds:
        packed = mnemonic.endswith('p')
        for w, suffix, src in (('w0', 's', 'Wss'), ('w1', 'd', 'Wsd')):
            name = mnemonic + suffix if packed else mnemonic + ('s' if w == 'w0' else 'd')
            out.append(Entry(m, op, rest + [w], name, ['Vx', 'Hx', 'Wx' if packed else src], flags, n))
    else:
        out.append(Entry(m, op, conds, mnemonic, list(ops), flags, n))
    return out


def derive_vex(entries):
    vex = []
    for e in entries:
        if e.map not in ('0F', '0F38', '0F3A') or e.cond['pfx'] is None or 'novex' in e.flags:
            continue
        if not any(o[0] in 'VWU' for o in e.ops) or any(o[0] in 'PQN' for o in e.ops):
            continue
        ops = list(e.ops)
        # Scalar and single-register forms stay XMM whatever VEX.L says.
        if e.mnemonic.endswith(('ss', 'sd')) or e.mnemonic in XMM_ONLY or \
                any(o in ('Ed', 'Wd', 'Wq', 'Mq', 'RdMb', 'RdMw') for o in ops[1:]) and \
                not e.mnemonic.startswith(('cvt', 'pmov')):
            ops = [o[0] + 'dq' if o[0] in 'VUH' and o.endswith('x') else o for o in ops]
        if e.mnemonic in SHIFTS and len(ops) == 2 and ops[1] == 'Wx':
            ops[1] = 'Wdq'
        if ops[0][0] == 'U':
            ops = ['H' + ops[0][1:]] + ops
        elif ops[0][0] == 'V' and len(ops) > 1 and e.mnemonic not in NO_NDS:
            ops = [ops[0], 'H' + ops[0][1:]] + ops[1:]
        v = Entry('V' + {'0F': '1', '0F38': '2', '0F3A': '3'}[e.map], e.opcode, [], 'v' + e.mnemonic,
                  ops, e.flags - {'osz'}, e.line)
        v.cond = dict(e.cond)
        if e.mnemonic in L0_ONLY:
            v.cond['l'] = 0
        v.modrm = e.modrm
        vex.append(v)
    return vex


def main():
    entries = parse()
    entries += derive_vex(entries)

    mnemonics = sorted({e.mnemonic for e in entries if e.mnemonic != 'invalid'} | set(THREEDNOW.values()) | set(WAIT_FORMS))
    mnemonics = ['invalid'] + mnemonics
    mindex = {m: i for i, m in enumerate(mnemonics)}

    specs = [('None', 'None', 0, 0, 0, 0)]
    sindex = {specs[0]: 0}

    def spec_id(code):
        s = operand_spec(code)
        if s not in sindex:
            sindex[s] = len(specs)
            specs.append(s)
        return sindex[s]

    nodes = [('Invalid', 0, [], [0, 0, 0, 0])]  # node 0: invalid

    def leaf(e):
        flags = []
        if e.modrm:
            flags.append('kModrm')
        if 'lock' in e.flags:
            flags.append('kLock')
        if e.cond['pfx'] is not None and 'osz' not in e.flags:
            flags.append('kMandatory')
        if 'priv' in e.flags:
            flags.append('kPriv')
        if 'io' in e.flags:
            flags.append('kIo')
        if 'rex' in e.flags:
            flags.append('kModIgnored')
        if e.map == '1' and 0xD8 <= e.opcode <= 0xDF:
            flags.append('kFpu')
        if len(e.ops) > 4:
            raise SystemExit(f'line {e.line}: too many operands')
        ops = [spec_id(o) for o in e.ops] + [0] * (4 - len(e.ops))
        nodes.append(('Leaf', mindex[e.mnemonic], flags, ops))
        return len(nodes) - 1

    def build(es, dims):
        if not es:
            return 0
        for i, (d, count) in enumerate(dims):
            if any(e.cond[d] is not None for e in es):
                children = [build([e for e in es if e.cond[d] in (None, v)], dims[i + 1:])
                            for v in range(count)]
                first = len(nodes)
                nodes.extend([None] * count)
                for k, c in enumerate(children):
                    nodes[first + k] = ('Link', c, [], [0, 0, 0, 0])
                nodes.append((DIM_NODE[d], first, [], [0, 0, 0, 0]))
                return len(nodes) - 1
        best = max(e.specificity() for e in es)
        top = [e for e in es if e.specificity() == best]
        if len({(e.mnemonic, tuple(e.ops)) for e in top}) > 1:
            raise SystemExit('ambiguous: ' + ', '.join(f'line {e.line} {e.mnemonic}' for e in top))
        return leaf(top[0])

    roots = {}
    for m in MAPS:
        row = []
        for op in range(256):
            es = [e for e in entries if e.map == m and e.opcode == op]
            row.append(build(es, DIMS))
        roots[m] = row

    # Links are resolved in place: a selector's children are copied node records.
    resolved = []
    for n in nodes:
        while n[0] == 'Link':
            n = nodes[n[1]]
        resolved.append(n)

    def fmt_size(s):
        return f'0x{s:02X}'

    out = ['// Generated by engines/tools/gen_tables.py from engines/data/x86.tbl. Do not edit.', '']
    out.append('const OperandSpec kOperandSpecs[] = {')
    for k, c, rs, ms, fl, fx in specs:
        out.append(f'    {{OpSpecKind::{k}, RegClass::{c}, {fmt_size(rs)}, {fmt_size(ms)}, '
                   f'{"kOp" + fl if fl else "0"}, {fx}}},')
    out.append('};')
    out.append('')
    out.append(f'const Node kNodes[{len(resolved)}] = {{')
    for t, v, fl, ops in resolved:
        flags = ' | '.join(fl) if fl else '0'
        out.append(f'    {{NodeType::{t}, {flags}, {v}, {{{ops[0]}, {ops[1]}, {ops[2]}, {ops[3]}}}}},')
    out.append('};')
    out.append('')
    for m in MAPS:
        out.append(f'const uint16_t kRoot{m}[256] = {{')
        row = roots[m]
        for i in range(0, 256, 16):
            out.append('    ' + ', '.join(str(x) for x in row[i:i + 16]) + ',')
        out.append('};')
    out.append('')
    out.append('const uint16_t k3DNow[256] = {')
    row = [mindex[THREEDNOW[i]] if i in THREEDNOW else 0 for i in range(256)]
    for i in range(0, 256, 16):
        out.append('    ' + ', '.join(str(x) for x in row[i:i + 16]) + ',')
    out.append('};')
    tables = '\n'.join(out) + '\n'

    mn = ['// Generated by engines/tools/gen_tables.py from engines/data/x86.tbl. Do not edit.']
    mn.append('#ifdef TOVALUX_X86_MNEMONIC')
    for m in mnemonics:
        ident = m + '_' if m in CXX_KEYWORDS else m
        mn.append(f'TOVALUX_X86_MNEMONIC({ident}, "{m}")')
    mn.append('#endif')
    mnem = '\n'.join(mn) + '\n'

    check = '--check' in sys.argv
    stale = False
    for path, text in ((OUT_TABLES, tables), (OUT_MNEMONICS, mnem)):
        old = open(path, encoding='utf-8').read() if os.path.exists(path) else None
        if old != text:
            stale = True
            if not check:
                with open(path, 'w', encoding='utf-8') as f:
                    f.write(text)
    if check and stale:
        print('generated decoder tables are stale: run engines/tools/gen_tables.py', file=sys.stderr)
        return 1
    if not check:
        print(f'{len(entries)} entries, {len(mnemonics)} mnemonics, {len(resolved)} nodes, '
              f'{len(specs)} operand forms')
    return 0


CXX_KEYWORDS = {'and', 'or', 'xor', 'not', 'int'}

# FWAIT folded into the x87 control instruction that follows it (9B DB E2 is FCLEX).
WAIT_FORMS = ['fclex', 'finit', 'fstsw', 'fstenv', 'fstcw', 'fsave']

THREEDNOW = {0x0C: 'pi2fw', 0x0D: 'pi2fd', 0x1C: 'pf2iw', 0x1D: 'pf2id', 0x8A: 'pfnacc',
             0x8E: 'pfpnacc', 0x90: 'pfcmpge', 0x94: 'pfmin', 0x96: 'pfrcp', 0x97: 'pfrsqrt',
             0x9A: 'pfsub', 0x9E: 'pfadd', 0xA0: 'pfcmpgt', 0xA4: 'pfmax', 0xA6: 'pfrcpit1',
             0xA7: 'pfrsqit1', 0xAA: 'pfsubr', 0xAE: 'pfacc', 0xB0: 'pfcmpeq', 0xB4: 'pfmul',
             0xB6: 'pfrcpit2', 0xB7: 'pmulhrw', 0xBB: 'pswapd', 0xBF: 'pavgusb'}

if __name__ == '__main__':
    sys.exit(main())
