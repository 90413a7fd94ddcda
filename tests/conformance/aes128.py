"""AES-128 in ECB mode, enough for the statistics query of the driver protocol.

Straight from the cipher's definition (byte-oriented, no tables beyond the
S-box), slow but small. `self_test()` checks it against the standard example
vector (key 000102..0f, plain text 00112233..ff).
"""


def _xtime(a):
    a <<= 1
    return (a ^ 0x11B) & 0xFF if a & 0x100 else a


def _mul(a, b):
    r = 0
    while b:
        if b & 1:
            r ^= a
        a = _xtime(a)
        b >>= 1
    return r


def _make_sbox():
    inv = [0] * 256
    for x in range(1, 256):
        for y in range(1, 256):
            if _mul(x, y) == 1:
                inv[x] = y
                break
    sbox = []
    for x in range(256):
        b = inv[x]
        s = b
        for k in range(1, 5):
            s ^= ((b << k) | (b >> (8 - k))) & 0xFF
        sbox.append(s ^ 0x63)
    return sbox


SBOX = _make_sbox()
INV_SBOX = [0] * 256
for _i, _s in enumerate(SBOX):
    INV_SBOX[_s] = _i


def expand_key(key):
    """The 11 round keys of a 16-byte key, each a list of 16 bytes."""
    if len(key) != 16:
        raise ValueError("AES-128 takes a 16-byte key")
    w = [list(key[i:i + 4]) for i in range(0, 16, 4)]
    rcon = 1
    for i in range(4, 44):
        t = list(w[i - 1])
        if i % 4 == 0:
            t = [SBOX[b] for b in t[1:] + t[:1]]
            t[0] ^= rcon
            rcon = _xtime(rcon)
        w.append([a ^ b for a, b in zip(w[i - 4], t)])
    return [sum(w[r * 4:r * 4 + 4], []) for r in range(11)]


# The state is 16 bytes in column order: byte 4*c + r is row r of column c.
_SHIFT = [(4 * ((i // 4 + i % 4) % 4) + i % 4) for i in range(16)]
_UNSHIFT = [0] * 16
for _i, _j in enumerate(_SHIFT):
    _UNSHIFT[_j] = _i


def _mix(s, m):
    out = []
    for c in range(4):
        col = s[4 * c:4 * c + 4]
        for r in range(4):
            v = 0
            for k in range(4):
                v ^= _mul(m[(k - r) % 4], col[k])
            out.append(v)
    return out


def encrypt_block(rk, block):
    s = [a ^ b for a, b in zip(block, rk[0])]
    for rnd in range(1, 11):
        s = [SBOX[s[_SHIFT[i]]] for i in range(16)]
        if rnd < 10:
            s = _mix(s, (2, 3, 1, 1))
        s = [a ^ b for a, b in zip(s, rk[rnd])]
    return bytes(s)


def decrypt_block(rk, block):
    s = [a ^ b for a, b in zip(block, rk[10])]
    for rnd in range(9, -1, -1):
        s = [INV_SBOX[s[_UNSHIFT[i]]] for i in range(16)]
        s = [a ^ b for a, b in zip(s, rk[rnd])]
        if rnd > 0:
            s = _mix(s, (14, 11, 13, 9))
    return bytes(s)


def ecb(key, data, decrypt=False):
    """Encrypt (or decrypt) data whose length is a multiple of 16."""
    if len(data) % 16:
        raise ValueError("ECB works on whole 16-byte blocks")
    rk = expand_key(key)
    fn = decrypt_block if decrypt else encrypt_block
    return b"".join(fn(rk, data[i:i + 16]) for i in range(0, len(data), 16))


def self_test():
    key = bytes(range(16))
    plain = bytes.fromhex("00112233445566778899aabbccddeeff")
    want = bytes.fromhex("69c4e0d86a7b0430d8cdb78070b4c55a")
    c = ecb(key, plain)
    return c == want and ecb(key, c, decrypt=True) == plain
