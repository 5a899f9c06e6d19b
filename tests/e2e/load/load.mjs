// load.mjs: concurrent load through lighttpd on one database. Each round sends
// Configure requests, each carrying a distinct complete configuration built from
// the form the program serves, and entrance requests, all within a moment; some
// Configure clients give up after a few milliseconds. Every other round starts
// from a CR LF copy of the file, so the line-end rewrite runs under load too.
//
// What the program promises on any machine is checked: every answer is the page
// the request gets from the program alone, or the locked-file page; afterwards
// the file is exactly what one of the submissions makes of the round's starting
// file (or that file, when none was confirmed); no temporary file is left; no
// request hangs. The requests queue for the file's lock, and one still waiting
// when the lock wait is over is refused: such a refusal is counted, must come no
// sooner than the lock wait, and is a failure where the round's queue fitted in
// the lock wait (every other request was served early in it, and the lock was
// free from then on). The first round is sized to fit by what a request takes
// alone, so that this is checked on a slow machine too.
//
// Started by scripts/test-load, which gives the lock wait of the program's build
// (ZEPH_LOCK_WAIT_MS); bounded by ZEPH_LOAD_ROUNDS (default 20) rounds of
// ZEPH_LOAD_CONFIGURES (24) + ZEPH_LOAD_ABANDONED (4) Configure and
// ZEPH_LOAD_ENTRANCES (8) entrance requests.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { setTimeout as sleep } from 'node:timers/promises';

import { formControls, submittedFields } from '../lib/form.mjs';
import {
  adminPassword, demoIni, formBody, freshDatabase, httpRequest, programPath, readIni, RequestTimeoutMs,
  runProgramAlone, workDir,
} from '../lib/site.mjs';

function knob(name, fallback) {
  const text = process.env[name] ?? fallback;
  if (text === undefined) throw new Error(`${name} is not set: run the load test with scripts/test-load`);
  const value = Number(text);
  if (!Number.isInteger(value) || value < 0) throw new Error(`${name} must be a whole number`);
  return value;
}
// How long a request waits for a lock that another one holds, in milliseconds:
// the program's own figure, which its build writes down.
const LockWaitMs = knob('ZEPH_LOCK_WAIT_MS');
const Rounds = knob('ZEPH_LOAD_ROUNDS', 20);
const Configures = knob('ZEPH_LOAD_CONFIGURES', 24);
const Abandoned = knob('ZEPH_LOAD_ABANDONED', 4);
const Entrances = knob('ZEPH_LOAD_ENTRANCES', 8);

const DB = 'load';
// A round's queue fitted in the lock wait when no client gave up and every
// served request was answered within this share of the wait from the round's
// start: the lock was free from then on, for the rest of any waiting request's
// wait (a program lets go of the lock before its answer ends).
const FittedShare = 0.75;
// A request hangs when it has no answer after HangFactor times the longest it
// may take: the lock wait, and every request of its round run one after the
// other.
const HangFactor = 5;
const ConfirmationHeading = '<h1>Your database configuration file has been updated!</h1>';
const ConfirmationEnd = '">Go to the database main page to check it out.</A>\n</h2>\n';
// After it, the one form that undoes the save, and nothing else.
const UndoFormEnd = '<button type="submit">History</button></p>\n</form>\n';

const entranceBody = formBody({ DBName: DB, password: adminPassword, act: 'entrance' });
const totals = { requests: 0, confirmed: 0, shown: 0, refused: 0, givenUp: 0, fitting: 0 };
let dbFile;
let formOfTheProgram;
let lockedFilePage;
let nextId = 1;

// What an answer is: 'refused' when it is the locked-file page, 'success' when
// isSuccessPage accepts it, and 'unexpected' otherwise.
function classifyAnswer(page, isSuccessPage) {
  if (page === lockedFilePage) return 'refused';
  if (isSuccessPage(page)) return 'success';
  return 'unexpected';
}

// A text field's value for submission `id`: numbers stay numbers, and a length limit
// is kept, as a browser keeps it; other texts carry the submission's mark "[id]",
// every other one with the characters HTML gives a meaning to.
function variedText({ value, maxLength }, id, index) {
  const isNumber = /^\d+$/.test(value);
  if (maxLength !== undefined) {
    return isNumber ? String(id % 10 ** maxLength) : 'ABCDEFGHIJKLMNOPQRSTUVWXYZ'[id % 26].repeat(maxLength);
  }
  if (isNumber) return String(1 + (id * 7 + index) % 300);
  return `${value} [${id}]${index % 2 ? ' & "<x>"' : ''}`;
}

// A list of comma-separated lines (the item lists) for submission `id`: the first
// name renamed, the lengths changed, the last line dropped or a line added.
function variedLines(text, id) {
  const lines = text.split(/\r?\n/).filter((line) => line !== '').map((line, at) => {
    const [name, ...rest] = line.split(',');
    const values = rest.map((part) => (/^\d+$/.test(part) ? String(Number(part) + id % 9) : part));
    return [at === 0 ? `${name}${id}` : name, ...values].join(',');
  });
  if (id % 2 && lines.length > 1) {
    lines.pop();
  } else if (lines.length > 0) {
    lines.push([`Added${id}`, ...lines[0].split(',').slice(1)].join(','));
  }
  return lines.map((line) => `${line}\n`).join('');
}

// A complete configuration that no other submission carries: the served form with
// every text field, checkbox and item list changed, as a browser submits it.
function distinctSubmission() {
  const id = nextId++;
  let texts = 0;
  let checkboxes = 0;
  const controls = formOfTheProgram.map((control) => {
    switch (control.kind) {
      case 'text': return { ...control, value: variedText(control, id, texts++) };
      case 'checkbox': return { ...control, checked: ((id >> checkboxes++) & 1) === 1 };
      case 'textarea': return { ...control, value: variedLines(control.value, id) };
      default: return control;
    }
  });
  return { id, label: `Configure ${id}`, body: formBody(submittedFields(controls, adminPassword)) };
}

// Sends one request at a random moment of the round's first spreadMs; a client
// with givesUpAfterMs abandons it after that long, any other after answerWithinMs.
async function send(request, spreadMs, answerWithinMs) {
  await sleep(Math.random() * spreadMs);
  const sentAt = performance.now();
  try {
    const answer = await httpRequest({
      method: 'POST', body: request.body, timeoutMs: request.givesUpAfterMs ?? answerWithinMs,
    });
    return { request, answer, sentAt, answeredAt: performance.now() };
  } catch (error) {
    if (error.name !== 'TimeoutError') return { request, error };
    if (request.givesUpAfterMs !== undefined) return { request, gaveUp: true };
    return { request, error: new Error(`no answer within ${answerWithinMs} ms`) };
  }
}

// The longest a request takes alone, over HTTP, measured now: a Configure from
// CR LF line ends (the rewrite and the update), one from line feeds, and an
// entrance, each twice. A request holds the lock for a part of that time.
async function longestAloneMs() {
  let longest = 0;
  for (let time = 0; time < 2; time++) {
    for (const [crLf, body] of [[true, distinctSubmission().body], [false, distinctSubmission().body],
      [false, entranceBody]]) {
      if (crLf) fs.writeFileSync(dbFile, withCrLfLineEnds(readIni(dbFile)), 'latin1');
      const began = performance.now();
      const answer = await httpRequest({ method: 'POST', body });
      longest = Math.max(longest, performance.now() - began);
      if (!answer.body.includes(ConfirmationHeading) && !/<form\b/i.test(answer.body)) {
        throw new Error(`a request alone was not served:\n${answer.body}`);
      }
    }
  }
  return Math.ceil(longest);
}

// How many programs started by lighttpd run now.
function programsRunning() {
  const program = fs.realpathSync(programPath);
  let running = 0;
  for (const pid of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(pid)) continue;
    try {
      if (fs.readlinkSync(`/proc/${pid}/exe`) === program) running++;
    } catch {
      // Ended meanwhile, or another user's process.
    }
  }
  return running;
}

// Until no program of the round runs any more, for withinMs at most: one whose
// client gave up may still be ending.
async function programsEnded(withinMs) {
  for (const start = performance.now(); performance.now() - start < withinMs; await sleep(20)) {
    if (programsRunning() === 0) return true;
  }
  return false;
}

// The program run alone: a submission's file made of `ini`, and the entrance page
// shown for `ini`, each computed once.
function oracle(start) {
  const files = new Map();
  const entrancePages = new Map();
  return {
    fileAfter(submission) {
      if (!files.has(submission.id)) {
        const alone = runProgramAlone({ method: 'POST', body: submission.body, dbName: DB, ini: start });
        files.set(submission.id, alone.ini);
      }
      return files.get(submission.id);
    },
    entrancePage(ini) {
      if (!entrancePages.has(ini)) {
        entrancePages.set(ini, runProgramAlone({ method: 'POST', body: entranceBody, dbName: DB, ini }).body);
      }
      return entrancePages.get(ini);
    },
  };
}

function withLfLineEnds(text) {
  return text.replace(/\r\n/g, '\n');
}

function withCrLfLineEnds(text) {
  return withLfLineEnds(text).replace(/\n/g, '\r\n');
}

// The requests of a round: distinct submissions, entrances, and submissions whose
// clients give up after 1 to 9 ms.
function roundRequests(round) {
  const requests = [];
  for (let c = 0; c < Configures; c++) requests.push({ kind: 'Configure', ...distinctSubmission() });
  for (let e = 1; e <= Entrances; e++) requests.push({ kind: 'entrance', label: `entrance ${e}`, body: entranceBody });
  for (let a = 1; a <= Abandoned; a++) {
    const submission = distinctSubmission();
    const givesUpAfterMs = (round * 7 + a * 5) % 9 + 1;
    const label = `${submission.label} (gives up after ${givesUpAfterMs} ms)`;
    requests.push({ kind: 'Configure', ...submission, label, givesUpAfterMs });
  }
  return requests;
}

// A round whose queue is sized to fit in the lock wait: `count` requests, a
// quarter of them entrances, and no client that gives up (the program of one
// holds the lock at a time no answer shows).
function fittingRequests(count) {
  const entrances = Math.floor(count / 4);
  const requests = [];
  for (let c = entrances; c < count; c++) requests.push({ kind: 'Configure', ...distinctSubmission() });
  for (let e = 1; e <= entrances; e++) requests.push({ kind: 'entrance', label: `entrance ${e}`, body: entranceBody });
  return requests;
}

// The success pages of a round that started from `start`. A Configure's
// confirmation shows settings of the file as it found it, which another
// submission may have left, so it is known by its heading and end: the
// link line, then the form that undoes the save. An entrance
// shows one state of the file whole: the start, or what one submission made of
// it, told by the mark "[id]" its values carry.
function successPages(start, submissions, alone) {
  return {
    Configure: (page) => page.includes(ConfirmationHeading) && page.endsWith(UndoFormEnd)
      && page.indexOf('<form') === page.indexOf(ConfirmationEnd) + ConfirmationEnd.length
      && page.indexOf('<form') === page.lastIndexOf('<form'),
    entrance: (page) => {
      const marked = [...new Set([...page.matchAll(/\[(\d+)\]/g)].map(([, id]) => Number(id)))]
        .filter((id) => submissions.has(id));
      const states = marked.length ? marked.map((id) => alone.fileAfter(submissions.get(id))) : [start];
      return states.some((ini) => page === alone.entrancePage(ini));
    },
  };
}

// Judges every answer of a round: the problems, the unexpected answers, the
// confirmed submissions (the one answered last first), those given up, the
// requests refused for a locked file, and when the served ones were answered.
// A refusal must have waited the whole lock wait.
function judgeAnswers(results, isSuccessPage) {
  const problems = [];
  const unexpected = [];
  const confirmed = [];
  const givenUp = [];
  const refused = [];
  const servedAt = [];
  for (const { request, answer, sentAt, answeredAt, gaveUp, error } of results) {
    totals.requests++;
    if (gaveUp) {
      totals.givenUp++;
      givenUp.push(request);
      continue;
    }
    if (error) {
      problems.push(`${request.label}: no answer over HTTP: ${error.message}`);
      continue;
    }
    const verdict = classifyAnswer(answer.body, isSuccessPage[request.kind]);
    if (verdict === 'unexpected' || answer.status !== 200) {
      problems.push(`${request.label}: ${verdict} answer (HTTP ${answer.status})`);
      unexpected.push([request.label, answer.body]);
    }
    if (verdict === 'refused') {
      totals.refused++;
      refused.push(request);
      const waited = Math.floor(answeredAt - sentAt);
      if (waited < LockWaitMs) {
        problems.push(`${request.label}: refused for a locked file after ${waited} ms,`
          + ` within the ${LockWaitMs} ms lock wait`);
      }
    }
    if (verdict === 'success') servedAt.push(answeredAt);
    if (verdict === 'success' && request.kind === 'entrance') totals.shown++;
    if (verdict === 'success' && request.kind === 'Configure') {
      totals.confirmed++;
      confirmed.push({ request, answeredAt });
    }
  }
  confirmed.sort((a, b) => b.answeredAt - a.answeredAt);
  return {
    problems, unexpected, confirmed: confirmed.map(({ request }) => request), givenUp, refused, servedAt,
  };
}


// The submission whose result the file is: exactly what it makes of the start when
// the program runs alone. With none confirmed, the file may also be the start, or
// the start with its line ends rewritten ('none'). The submission answered last
// most likely wrote last, unless one whose client gave up wrote after it: these
// are tried first.
function submissionBehind(ini, start, { confirmed, givenUp }, alone) {
  if (confirmed.length === 0 && (ini === start || ini === withLfLineEnds(start))) return 'none';
  const mayHaveWritten = [...confirmed.slice(0, 1), ...givenUp, ...confirmed.slice(1)];
  return mayHaveWritten.find((submission) => alone.fileAfter(submission) === ini)?.label;
}

// Runs one round: `requests` sent within `spreadMs` to the file (rewritten
// with CR LF line ends when crLf), `aloneMs` being the longest a request took
// alone just before. Returns the problems found.
async function runRound(round, { crLf, requests, aloneMs, spreadMs }) {
  let start = readIni(dbFile);
  if (crLf) {
    start = withCrLfLineEnds(start);
    fs.writeFileSync(dbFile, start, 'latin1');
  }
  const answerWithinMs = HangFactor * (LockWaitMs + requests.length * aloneMs);
  const roundStart = performance.now();
  const results = await Promise.all(requests.map((request) => send(request, spreadMs, answerWithinMs)));
  const ended = await programsEnded(answerWithinMs);

  const alone = oracle(start);
  const submissions = new Map(requests.filter(({ kind }) => kind === 'Configure').map((r) => [r.id, r]));
  const judged = judgeAnswers(results, successPages(start, submissions, alone));
  const { problems, refused } = judged;
  const servedWithinMs = Math.ceil(Math.max(roundStart, ...judged.servedAt) - roundStart);
  const fitted = judged.givenUp.length === 0 && servedWithinMs <= FittedShare * LockWaitMs;
  const queue = `${requests.length} requests served within ${servedWithinMs} ms of the round's start`
    + `${fitted ? `, fitting in the ${LockWaitMs} ms lock wait` : ''}`;
  if (fitted) totals.fitting++;
  if (fitted && refused.length) {
    problems.push(`${refused.map(({ label }) => label).join(', ')}: refused for a locked file, though the`
      + ` requests served were answered within ${servedWithinMs} ms of the round's start, the lock free from then on`);
  }
  if (!ended) problems.push(`programs still running ${answerWithinMs} ms after the round`);
  const leftovers = filesLeftBeside(dbFile);
  if (leftovers.length) problems.push(`files left beside the database: ${leftovers.join(', ')}`);
  const ini = readIni(dbFile);
  const from = submissionBehind(ini, start, judged, alone);
  if (!from) problems.push('the file is not what any confirmed or abandoned submission makes of the start');

  if (problems.length) keepForInspection(round, start, ini, judged.unexpected);
  console.error(`    round ${round}: ${judged.confirmed.length} confirmed, ${refused.length} refused`
    + ` (a request alone ${aloneMs} ms; ${queue}), file from ${from ?? 'no submission'}`);
  return problems;
}

// What stands beside the database's file but its history folder and its whole
// sign-in key (32 bytes, which a confirmation page makes), and in that folder
// anything but the whole versions an update keeps
// ("NAME.ini.20261210T164132Z[-N].DIGEST-OWN.WHO", or .DIGEST.WHO as kept before).
function filesLeftBeside(dbFile) {
  const folder = path.dirname(dbFile);
  const name = path.basename(dbFile);
  const escaped = name.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
  const version = new RegExp(`^${escaped}\\.\\d{8}T\\d{6}Z(-[1-9]\\d*)?\\.[0-9a-f]{16}(-[0-9a-f]{16})?\\..+$`);
  const wholeKey = (entry) => entry === 'zephconf-signin.key' && fs.lstatSync(path.join(folder, entry)).isFile()
    && fs.lstatSync(path.join(folder, entry)).size === 32;
  const left = fs.readdirSync(folder)
    .filter((entry) => entry !== name && entry !== 'zephconf-history' && !wholeKey(entry));
  const history = path.join(folder, 'zephconf-history');
  if (fs.existsSync(history))
    left.push(...fs.readdirSync(history).filter((entry) => !version.test(entry)).map((entry) => `zephconf-history/${entry}`));
  return left;
}

function failOn(round, problems) {
  if (problems.length) assert.fail(`round ${round} (files in ${workDir}/round-${round}):\n${problems.join('\n')}`);
}

// The round's files and unexpected answers, left in the work folder.
function keepForInspection(round, start, ini, answers) {
  const folder = path.join(workDir, `round-${round}`);
  fs.rmSync(folder, { recursive: true, force: true });
  fs.mkdirSync(folder, { recursive: true });
  fs.writeFileSync(path.join(folder, 'start.ini'), start, 'latin1');
  fs.writeFileSync(path.join(folder, 'after.ini'), ini, 'latin1');
  for (const [label, body] of answers) {
    fs.writeFileSync(path.join(folder, `${label.replace(/\W+/g, '-')}.html`), body, 'latin1');
  }
}

before(async () => {
  for (const name of fs.readdirSync(workDir)) {
    if (name.startsWith('round-')) fs.rmSync(path.join(workDir, name), { recursive: true });
  }
  dbFile = freshDatabase(DB);
  const served = await httpRequest({ method: 'POST', body: entranceBody });
  assert.equal(served.body, runProgramAlone({ method: 'POST', body: entranceBody, dbName: DB, ini: demoIni }).body);
  formOfTheProgram = formControls(served.body);
  assert.ok(formOfTheProgram.some(({ kind }) => kind === 'textarea'), 'the form has item lists');

  // A submission built from the form is confirmed and changes the file; under
  // the file's lock it is refused.
  const submission = distinctSubmission();
  const alone = runProgramAlone({ method: 'POST', body: submission.body, dbName: DB, ini: demoIni });
  assert.ok(alone.body.includes(ConfirmationHeading), alone.body);
  assert.notEqual(alone.ini, demoIni);
  lockedFilePage = runProgramAlone({
    method: 'POST', body: submission.body, dbName: DB, ini: demoIni, iniLocked: true,
    timeoutMs: LockWaitMs + RequestTimeoutMs,
  }).body;
  assert.match(lockedFilePage, /Database initiation file is not present/);
});

// Round 0 starts its requests at once: as many as take, one after the other,
// the share of the lock wait within which a fitted round is served (at once
// they take less, their starts overlapping), and at most a full round's
// Configures and entrances.
test('round 0: a queue sized to fit in the lock wait, from CR LF line ends', async (t) => {
  const aloneMs = await longestAloneMs();
  const count = Math.min(Configures + Entrances, Math.floor((FittedShare * LockWaitMs) / aloneMs));
  if (count < 2) {
    t.skip(`a request alone takes ${aloneMs} ms: not two of them fit in the ${LockWaitMs} ms lock wait`);
    return;
  }
  failOn(0, await runRound(0, { crLf: true, requests: fittingRequests(count), aloneMs, spreadMs: 0 }));
});

// The requests of a round start within a quarter of the time they take one
// after the other, so that they queue for the lock on a fast machine as on a
// slow one.
for (let round = 1; round <= Rounds; round++) {
  const crLf = round % 2 === 0;
  test(`round ${round}: from ${crLf ? 'CR LF' : 'LF'} line ends`, async () => {
    const aloneMs = await longestAloneMs();
    const requests = roundRequests(round);
    failOn(round, await runRound(round, { crLf, requests, aloneMs, spreadMs: requests.length * aloneMs / 4 }));
  });
}

after(() => {
  console.error(`load test: ${totals.requests} requests in ${Rounds} rounds (${Configures} Configure + `
    + `${Abandoned} giving up + ${Entrances} entrance each) after a round sized to fit the lock wait: `
    + `${totals.confirmed} updates confirmed, ${totals.shown} forms shown, ${totals.refused} refused for a `
    + `locked file, ${totals.givenUp} given up by their client; ${totals.fitting} rounds whose queue fitted in `
    + `the lock wait`);
});
