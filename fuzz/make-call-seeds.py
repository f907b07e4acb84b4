#!/usr/bin/env python3
"""Writes the seed call sequences of grid_calls_fuzzer into fuzz/corpus/grid_calls/.

Each seed spells out calls the way the target reads them. The target reads its
numbers from the end of the input backwards (libFuzzer's FuzzedDataProvider),
so the bytes below are listed in reading order and written reversed.
"""
import os

# Call numbers, as the target's switch has them.
INIT, SET_POINT, WHITE_NOISE, SET_VARIABLE, UPDATE = 0, 1, 3, 4, 5
GET_EDGES, TRACE_EDGES, TRACE_EDGES_OLD, TRACE_FROM_POINT = 6, 8, 9, 10
GET_IMAGE_EDGES, GET_IMAGE_CONTOURS, DRAW, CHART = 11, 12, 13, 14
PAINT, RESCALE, REC_INIT, REC_SET, SET_IDENTITY, ADD_FACE, IDENTIFY = 16, 17, 18, 19, 20, 21, 22
A, B, IDENTITY = 0, 1, 2
SHOW, SHOW_TRACES, SHOW_VECTOR, SHOW_EDGES = 0, 1, 2, 3
EXTREMES = [-32768, -32767, -256, -100, 64, 100, 127, 128, 181, 182, 200, 255, 256, 1000, 32766, 32767]
ODD_FLOATS = {'face width': 11, 'face height': 12}


def small(v):
    return [v + 3] if -3 <= v <= 48 else [240 + EXTREMES.index(v)]


def odd(name):
    return [240 + ODD_FLOATS[name]]


def colour(packed):
    return [0, (packed >> 16) & 255, (packed >> 8) & 255, packed & 255]


def outside(value):  # any 32-bit value
    v = value + 2**31
    return [1, (v >> 24) & 255, (v >> 16) & 255, (v >> 8) & 255, v & 255]


def grey(level):
    return colour(level * 0x010101)


def on(target, raw=None):
    return [target, target if raw is None else raw]


def init(target, w, h):
    return [INIT] + small(w) + small(h) + on(target)


def set_point(target, x, y, v):
    return [SET_POINT] + small(x) + small(y) + [v] + on(target)


def paint(x, y, level):
    return [PAINT, x, y] + grey(level)


def face_canvas():
    return [RESCALE] + odd('face width') + odd('face height') + outside(-1)


def training():
    calls = [REC_INIT] + small(25) + small(25) + face_canvas()
    for face in range(3):
        for i in range(6):
            calls += paint(3 * i + face, 5 + i, 40 * face + 30 * i)
        calls += [ADD_FACE, face]
    return calls + paint(4, 6, 200) + [IDENTIFY]


def edges():
    return (init(A, 25, 25) + [WHITE_NOISE, 0, 0, 0, 7] + on(A) + [GET_EDGES] + on(A) +
            [DRAW, SHOW_EDGES] + on(A) + [CHART, 0, 1] + on(A))


def tracing():
    calls = init(A, 25, 25)
    for x in range(5, 21):
        calls += set_point(A, x, 3, 100)
    return (calls + [TRACE_FROM_POINT] + small(20) + small(3) + small(0) + on(A) +
            [TRACE_EDGES] + on(A) + [DRAW, SHOW_VECTOR] + on(A) + [CHART, 1, 1] + on(A) +
            [TRACE_EDGES_OLD] + on(A) + [DRAW, SHOW_TRACES] + on(A))


def summaries():
    calls = init(A, 40, 40) + init(B, 25, 25) + face_canvas()
    for i in range(12):
        calls += paint(i, 15 - i, 255)
    return (calls + [UPDATE, 0] + on(A) + [GET_IMAGE_EDGES] + on(B, A) + [DRAW, SHOW] + on(B) +
            [GET_IMAGE_CONTOURS] + on(B, A) + [SET_VARIABLE, 7, 0, 36] + on(B) +
            [GET_IMAGE_CONTOURS] + on(B, A))


def misuse():
    return (training() + set_point(IDENTITY, 3, 3, 255) + [IDENTIFY] +
            set_point(IDENTITY, 0, 0, 9) + [ADD_FACE, 7, IDENTIFY] +
            [SET_IDENTITY, 1] + init(IDENTITY, 25, 25) + [IDENTIFY] +
            [REC_SET] + small(1000) + [2] + [ADD_FACE, 8, IDENTIFY] +
            [SET_VARIABLE, 0] + small(32767) + [0] + on(A) + [GET_EDGES] + on(A) +
            [REC_SET] + small(-1) + [0] + [ADD_FACE, 9])


SEEDS = {
    'train-three-faces-and-identify': training(),
    'noise-edges-and-their-chart': edges(),
    'trace-a-row-of-cells': tracing(),
    'edge-and-contour-summaries': summaries(),
    'identity-changed-and-sizes-misused': misuse(),
}

folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus', 'grid_calls')
os.makedirs(folder, exist_ok=True)
for name, calls in SEEDS.items():
    with open(os.path.join(folder, name), 'wb') as seed:
        seed.write(bytes(reversed(calls)))
