// site.mjs: the demo site under test: its address and folders, fresh copies of the
// demo database, HTTP requests to lighttpd, and the same request given to the
// installed program directly, the way a web server starts it.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import https from 'node:https';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

function requireEnv(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set: run the tests with scripts/test-e2e or scripts/test-load`);
  return value;
}

export const baseUrl = requireEnv('ZEPH_E2E_URL');
export const siteDir = requireEnv('ZEPH_E2E_SITE');
export const workDir = requireEnv('ZEPH_E2E_WORK');
export const projectRoot = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../..');
// The program's folder, where the databases lie beside it: the site's cgi-bin/,
// or ZEPH_E2E_PROGRAM_DIR (the package test's /var/lib/zephconf).
export const programDir = process.env.ZEPH_E2E_PROGRAM_DIR || path.join(siteDir, 'cgi-bin');
export const programPath = path.join(programDir, 'zephconf');
export const demoIniPath = path.join(projectRoot, 'demo', 'members', 'members.ini');
export const demoIni = fs.readFileSync(demoIniPath, 'latin1');
export const adminPassword = /^Administration password=(.*)$/m.exec(demoIni)[1];
// The tests' shared fixture database (the C++ tests and the benchmark start from it
// too): a small shop's complete initialisation file, to lay out with freshDatabase.
export const fixtureIniPath = path.join(projectRoot, 'tests', 'support', 'fixture', 'shop.ini');
export const fixtureIni = fs.readFileSync(fixtureIniPath, 'latin1');

// How long a client waits for an answer unless told otherwise: long past any
// answer of the program that waits for no lock.
export const RequestTimeoutMs = 10000;
// With an HTTPS address, the certificate that the server must present (the
// package test's: Debian's own, which names the host rather than 127.0.0.1).
const serverCertificate = process.env.ZEPH_E2E_CA ? fs.readFileSync(process.env.ZEPH_E2E_CA) : undefined;

export function iniPathOf(dbName, root = programDir) {
  return path.join(root, dbName, `${dbName}.ini`);
}

// Puts a fresh copy of the demo database on the site under the name dbName (the
// file name follows the database name) and returns its path.
export function freshDatabase(dbName, content = demoIni) {
  const file = iniPathOf(dbName);
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, content, 'latin1');
  return file;
}

export function readIni(file) {
  return fs.readFileSync(file, 'latin1');
}

// A form body as a browser sends it (application/x-www-form-urlencoded).
export function formBody(fields) {
  return new URLSearchParams(fields).toString();
}

// Sends a request to the server: { method, query, body, headers } -> { status,
// contentType, headers, rawHeaders, body, tls }; headers and rawHeaders as Node
// gives them (names in lower case, repeats joined; names and values as sent);
// tls: whether it went over HTTPS. The body is kept as latin1 text so that
// every byte compares one to one. Each request has a connection of its own, as
// from a client of its own: a kept-alive connection that the server closed
// while this process was busy would fail a POST. A client that gives up after
// timeoutMs rejects with a TimeoutError. base: another address of the server
// than ZEPH_E2E_URL; localAddress: the client's own address.
export function httpRequest({
  method = 'GET', urlPath = '/cgi-bin/zephconf', query = '', body, headers: extraHeaders = {},
  timeoutMs = RequestTimeoutMs, base = baseUrl, localAddress,
}) {
  const url = base + urlPath + (query ? `?${query}` : '');
  const tls = url.startsWith('https:');
  const signal = AbortSignal.timeout(timeoutMs);
  const content = body === undefined ? undefined : Buffer.from(body);
  const headers = content === undefined ? { ...extraHeaders }
    : { ...extraHeaders, 'content-type': 'application/x-www-form-urlencoded', 'content-length': content.length };
  const options = { method, headers, agent: false, signal, localAddress };
  if (tls) Object.assign(options, { ca: serverCertificate, checkServerIdentity: () => undefined });
  return new Promise((resolve, reject) => {
    const fail = (error) => reject(signal.aborted ? signal.reason : error);
    const request = (tls ? https : http).request(url, options, (answer) => {
      const chunks = [];
      answer.on('data', (chunk) => chunks.push(chunk));
      answer.on('end', () => resolve({
        status: answer.statusCode,
        contentType: answer.headers['content-type'] ?? null,
        headers: answer.headers,
        rawHeaders: answer.rawHeaders,
        body: Buffer.concat(chunks).toString('latin1'),
        tls,
      }));
      answer.on('error', fail);
      answer.on('close', () => { if (!answer.complete) fail(new Error('the answer was cut off')); });
    });
    request.on('error', fail);
    request.end(content);
  });
}

// Runs the installed program alone on a copy of the database in a scratch folder
// laid out like the site (program in cgi-bin/, database beside it), started by its
// absolute path from its own folder, as lighttpd does. With iniLocked, another
// process holds the database file's lock while the program runs (give timeoutMs
// room for the lock wait then). Returns the CGI header, the body, the exit status
// and the database file afterwards.
export function runProgramAlone({
  method = 'GET', query = '', body = '', dbName, ini, iniLocked = false, timeoutMs = RequestTimeoutMs,
}) {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'zeph-e2e-'));
  try {
    const cgiBin = path.join(scratch, 'cgi-bin');
    fs.mkdirSync(cgiBin);
    const program = path.join(cgiBin, 'zephconf');
    fs.copyFileSync(programPath, program);
    fs.chmodSync(program, 0o755);
    if (dbName !== undefined && ini !== undefined) {
      fs.mkdirSync(path.join(cgiBin, dbName));
      fs.writeFileSync(iniPathOf(dbName, cgiBin), ini, 'latin1');
    }
    const env = {
      PATH: process.env.PATH,
      GATEWAY_INTERFACE: 'CGI/1.1',
      SERVER_PROTOCOL: 'HTTP/1.1',
      REQUEST_METHOD: method,
      QUERY_STRING: query,
      SCRIPT_NAME: '/cgi-bin/zephconf',
    };
    if (method === 'POST') {
      env.CONTENT_LENGTH = String(Buffer.byteLength(body, 'latin1'));
      env.CONTENT_TYPE = 'application/x-www-form-urlencoded';
    }
    // flock(1) takes the lock on a descriptor of its own and keeps it until the
    // program it starts has ended.
    const [command, args] = iniLocked
      ? ['flock', ['--exclusive', '--nonblock', '--close', iniPathOf(dbName, cgiBin), program]]
      : [program, []];
    const run = spawnSync(command, args, {
      cwd: cgiBin, env, input: Buffer.from(body, 'latin1'), timeout: timeoutMs,
    });
    if (run.error) throw run.error;
    const output = run.stdout.toString('latin1');
    const end = output.indexOf('\n\n');
    if (end < 0) throw new Error(`no CGI header in the program's answer: ${JSON.stringify(output.slice(0, 200))}`);
    const iniAfter = dbName !== undefined && fs.existsSync(iniPathOf(dbName, cgiBin))
      ? readIni(iniPathOf(dbName, cgiBin)) : undefined;
    return { header: output.slice(0, end), body: output.slice(end + 2), status: run.status, ini: iniAfter };
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

// The value of `key` in `section` of an initialisation file's text ('' when absent).
export function iniValue(text, section, key) {
  const lines = text.split('\n');
  let inSection = false;
  for (const line of lines) {
    if (line === `[${section}]`) { inSection = true; continue; }
    if (!inSection) continue;
    if (line === '') break;
    if (line.startsWith(`${key}=`)) return line.slice(key.length + 1);
  }
  return '';
}

// The text with the line `key=...` of `section` replaced by `key=value`.
export function withIniValue(text, section, key, value) {
  const lines = text.split('\n');
  let inSection = false;
  for (let i = 0; i < lines.length; i++) {
    if (lines[i] === `[${section}]`) { inSection = true; continue; }
    if (!inSection) continue;
    if (lines[i] === '') break;
    if (lines[i].startsWith(`${key}=`)) {
      lines[i] = `${key}=${value}`;
      return lines.join('\n');
    }
  }
  throw new Error(`no key "${key}" in section "${section}"`);
}
