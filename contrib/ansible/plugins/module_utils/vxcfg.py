# Runs vxcfg for the modules of this collection and reads its JSON report. vxcfg decides
# everything (what exists, what differs, what drifted); this file only passes arguments and
# reads the answer.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os

# Arguments every module of the collection takes.
COMMON_ARGS = dict(
    root=dict(type='path'),
    data=dict(type='path'),
    vxcfg=dict(type='str', default='vxcfg'),
)

# Exit codes of vxcfg.
EXIT_OK = 0
EXIT_CHANGE = 3  # a check run found something to change; verify found drift


class VxcfgError(Exception):
    """vxcfg failed; the message is its own reason."""

    def __init__(self, msg, report):
        super(VxcfgError, self).__init__(msg)
        self.msg = msg
        self.report = report


class Vxcfg(object):
    """vxcfg with the module's root, data file and binary."""

    def __init__(self, module):
        self.module = module
        binary = module.params['vxcfg']
        if os.sep not in binary:
            binary = module.get_bin_path(binary, required=True)
        self.binary = binary
        self.root = module.params.get('root')
        self.data = module.params.get('data')

    def run(self, command, names=(), options=(), secrets=(), check=False, diff=False,
            failure_exits=None):
        """Runs `vxcfg --json [--check] [--diff] COMMAND NAME... OPTION...` without a shell.

        secrets: values of the options whose value on the command line is `-`, written one a line
        to standard input in the order vxcfg reads them. Returns the report; raises VxcfgError
        with vxcfg's reason when the report says it failed or when it gave none."""
        argv = [self.binary, '--json']
        if self.root:
            argv += ['--root', self.root]
        if check:
            argv.append('--check')
        if diff:
            argv.append('--diff')
        argv.append(command)
        argv += list(names)
        if self.data:
            argv += ['--data', self.data]
        argv += list(options)
        stdin = '\n'.join(secrets) if secrets else None
        rc, out, err = self.module.run_command(argv, data=stdin, check_rc=False)
        try:
            report = json.loads(out)
        except ValueError:
            raise VxcfgError('vxcfg %s gave no report (exit %d): %s' % (command, rc, err.strip()),
                             None)
        if report.get('failed'):
            reasons = report.get('msg') or [err.strip() or 'vxcfg %s failed' % command]
            raise VxcfgError('; '.join(reasons), report)
        return report

    def names(self):
        """The names of the instances in the data file."""
        return [entry['name'] for entry in self.run('list')['data']]


def diff_of(*reports):
    """The unified diffs and other changes of reports, as Ansible shows a prepared diff."""
    lines = []
    for report in reports:
        if not report:
            continue
        for entry in report.get('files', []):
            if entry.get('diff'):
                lines.append(entry['diff'].rstrip('\n'))
            else:
                target = entry.get('to')
                lines.append('%s %s%s' % (entry.get('action'), entry.get('path'),
                                          ' -> ' + target if target else ''))
        for entry in report.get('services', []):
            lines.append('%s service %s %s' % (entry.get('action'), entry.get('name'),
                                               entry.get('port')))
        for command in report.get('commands', []):
            lines.append('run %s' % (command if isinstance(command, str) else json.dumps(command)))
    return {'prepared': '\n'.join(lines) + '\n'} if lines else None


def nothing_recorded_yet(module, vx):
    """In a check run, ends the module when the data file holds no instance: the tasks that would
    add them ran as checks too, so a command over every instance has nothing to judge yet."""
    if module.check_mode and not vx.names():
        module.exit_json(changed=False, vxcfg=[],
                         msg='no instance recorded yet; an earlier task of this check run would add them')


def would_change(report):
    """Whether a check run found something to change."""
    return report.get('exit') == EXIT_CHANGE or bool(report.get('changed'))


def finish(module, changed, reports, **extra):
    """Exits the module with changed, the diff when asked for, and the reports of vxcfg."""
    result = dict(changed=changed, vxcfg=[r for r in reports if r], **extra)
    if module._diff:
        diff = diff_of(*reports)
        if diff:
            result['diff'] = diff
    module.exit_json(**result)


def run_when_needed(module, command):
    """The module over every instance: a check run of `vxcfg COMMAND` first, the real run only
    when the check finds something to change (a real run always refreshes backups)."""
    vx = Vxcfg(module)
    try:
        nothing_recorded_yet(module, vx)
        planned = vx.run(command, check=True, diff=module._diff)
        done = None
        if would_change(planned) and not module.check_mode:
            done = vx.run(command)
    except VxcfgError as error:
        fail(module, error)
    finish(module, would_change(planned), [planned, done])


def fail(module, error, **extra):
    """Fails the module with vxcfg's reason."""
    module.fail_json(msg=error.msg, vxcfg=error.report, **extra)
